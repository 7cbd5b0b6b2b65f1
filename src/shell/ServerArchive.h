#pragma once
#include <QString>

// The daily archive of a database on the server: the first copy of the program that starts on
// a day writes it with pg_dump in its custom format; the others skip it. A server-side advisory
// lock keeps two copies that start together from both writing it, and a note on the database
// ("Korvina archive Ko<yyMMdd>") tells later copies, on any machine, that it is done.
// pg_dump is KORVINA_PG_DUMP when set, else "pg_dump" on the PATH; it gets the password through
// its environment, never on its command line.
class ServerArchive {
public:
    enum class Outcome { Written, AlreadyDone, OtherCopyBusy };

    // Writes `archivePath` (named for the day before today) unless it is done; errors throw AppError.
    static Outcome run(const QString& url, const QString& archivePath);
};
