#include "shell/FailureText.h"

#include "base/ProgramState.h"
#include "platform/AppError.h"
#include "base/ArchiveNames.h"

#include <QUrl>

namespace FailureText {

QString causeOf(const AppError& e)
{
    switch (e.number()) {
    case DbErrors::DiskFull: return QStringLiteral("the disk is full");
    case DbErrors::NoPermission: return QStringLiteral("the folder cannot be written");
    case DbErrors::Damaged: return QStringLiteral("the database file is damaged");
    case DbErrors::Unreachable: return QStringLiteral("the database server cannot be reached");
    case DbErrors::TimedOut: return QStringLiteral("pg_dump did not finish in time");
    default: return e.description().simplified();
    }
}

QString openFailed(const AppError& e)
{
    const ProgramState& s = state();
    switch (e.number()) {
    case DbErrors::InUse: return QStringLiteral("Application In-Use, Try Later!");
    case DbErrors::Unreachable:
        return QStringLiteral("The database server %1 cannot be reached. Try again later.").arg(QUrl(s.DatabaseUrl).host());
    case DbErrors::NoPermission:
        return QStringLiteral("The data folder %1 cannot be written: ask for write access to it.").arg(s.DataFolder);
    case DbErrors::DiskFull:
        return QStringLiteral("The disk of the data folder %1 is full: make room on it and start again.").arg(s.DataFolder);
    case DbErrors::Damaged:
        return QStringLiteral("The database file %1 is damaged and cannot be read. Bring back an archive copy from %2.")
            .arg(ArchiveNames::databasePath(), ArchiveNames::archiveFolder());
    default: return QStringLiteral("The database cannot be opened: %1").arg(e.description().simplified());
    }
}

}
