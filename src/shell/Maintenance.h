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
// Any failure is taken to mean that another copy of the program uses the database: the notice
// "Application In-Use, Try Later!" is shown and no later step runs; the program then ends.
//
// The database file is never lost: it is compacted into the .Cpt copy first, and only when that
// succeeded is the old file (with its -wal/-shm companions, whose content the copy holds)
// deleted and the copy moved into its place. A .Cpt found without a database is moved back
// before anything else touches the files; one found beside the database is the remains of an
// interrupted compaction and is deleted. From the checks on, the maintenance holds the lock
// file exclusively: no other copy can open the database until the archive is written.
//
// With the server backend (DatabaseUrl set) there is no file to look after: only the two
// progress steps are shown.
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
    // the program state and "today" from Clock. Returns true when it ran to the end; false
    // after a failure (the notice has been shown).
    bool run(const Progress& progress = {});

    // The two connection strings of the compaction, as built for the current program state.
    static QString sourceConnectionString();
    static QString destinationConnectionString();

private:
    void step(const QString& name);
    void showProgress(int pauses = 3);
    void maintainFile();

    Progress m_progress;
    LockFile m_lock; // held exclusively from the checks to the archive copy
};
