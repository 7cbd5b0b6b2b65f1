#pragma once
#include "platform/LockFile.h"

#include <QString>
#include <functional>

// The start-up maintenance of the database file, run by the splash screen before anything
// opens the database. Once per calendar day (when the archive copy named for yesterday does
// not exist yet) it removes a stale lock file, restores a database left behind by an
// interrupted compaction, compacts the database file and writes the dated archive copy
// (Arch/Ko<yyMMdd of yesterday>.Kys). Every start shows "Verify..." and "Loading..".
//
// A lock that another copy of the program holds gives the notice "Application In-Use, Try Later!"
// and the program ends. Every other failure says what failed, in one notice, and is recorded in
// the error listing: a damaged database file, or one that cannot be put in place, ends the
// start; a compaction that failed (the database is left as it was) or an archive that could not
// be written does not, unless the database cannot be opened either (a data folder full from
// the start): then only that failure is told. Archive copies are private to the user
// (ArchiveFiles).
//
// The database file is never lost: it is compacted into the .Cpt copy first, and only when that
// succeeded is the old file (with its -wal/-shm companions, whose content the copy holds)
// deleted and the copy moved into its place. A .Cpt found without a database is moved back
// before anything else touches the files; one found beside the database is the remains of an
// interrupted compaction and is deleted. From the checks on, the maintenance holds the lock
// file exclusively: no other copy can open the database until the archive is written.
//
// With the server backend (DatabaseUrl set) there is no file to look after and no lock file:
// the first copy of the day writes the server's archive (Arch/Ko<yyMMdd>.dump, see
// ServerArchive) and shows "Archive.."; the others skip it.
class Maintenance {
public:
    // What the maintenance shows. `step` receives "Verify...", "Checks...", "Repair...",
    // "Compact..", "Archive.." and "Loading.." in turn; `dot` is called after every pause
    // (three times per step, four times for "Loading..").
    struct Progress {
        std::function<void(const QString& step)> step;
        std::function<void()> dot;
    };

    // Runs the maintenance. Reads DataFolder, DatabaseFile, DatabaseUrl and the password from
    // the program state and "today" from Clock. Returns true when the start may go on; false
    // when it may not (the notice has been shown).
    bool run(const Progress& progress = {});

    // The two connection strings of the compaction, as built for the current program state.
    static QString sourceConnectionString();
    static QString destinationConnectionString();

private:
    void step(const QString& name);
    void showProgress(int pauses = 3);
    void maintainFile();
    void compact(const QString& database, const QString& compacted);
    void archiveOnServer();

    struct Stopped;
    // `stopped`, or the database's own failure to open when it cannot be opened either.
    Stopped unlessUnopenable(const Stopped& stopped);

    Progress m_progress;
    LockFile m_lock; // held exclusively from the checks to the archive copy
};
