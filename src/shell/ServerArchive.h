#pragma once
#include <QString>
#include <functional>

// The daily archive of a database on the server: the first copy of the program that starts on
// a day writes it with pg_dump in its custom format; the others skip it. A server-side advisory
// lock keeps two copies that start together from both writing it, and a note on the database
// ("Korvina archive Ko<yyMMdd>") tells later copies, on any machine, that it is done.
//
// The dump never touches the disk in clear: pg_dump writes to a pipe and the program seals what
// comes through (ArchiveCipher, keyed like the database file) into a private file, which is
// checked before it takes its name. pg_dump and pg_restore are KORVINA_PG_DUMP and
// KORVINA_PG_RESTORE when set, else found on the PATH. They get the password in their own
// environment, never on their command line, never prompt (their input is closed), and die
// with the program.
class ServerArchive {
public:
    enum class Outcome { Written, AlreadyDone, OtherCopyBusy };

    // Writes `archivePath` (named for the day before today) unless it is done; errors throw
    // AppError (DbErrors::TimedOut when pg_dump does not finish within the time limit, and it is
    // stopped). `tick` is called about once a second while pg_dump runs.
    static Outcome run(const QString& url, const QString& archivePath, const std::function<void()>& tick = {});

    // Brings an archive back into an empty database on the server; errors throw AppError and
    // leave the database empty. `password` is the one the archive was sealed with.
    static void restore(const QString& archivePath, const QString& url, const QString& password);

    // How long a desk waits for pg_dump (60 s); tests shorten it. 0 restores the default.
    static void setTimeLimit(int milliseconds);
};
