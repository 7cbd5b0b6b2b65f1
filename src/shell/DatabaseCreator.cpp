#include "shell/DatabaseCreator.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "base/ProgramState.h"
#include "base/Schema.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {
void installResources(const QString& folder)
{
    // The files an installation carries are built into the program under :/install.
    QDirIterator it(QStringLiteral(":/install"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString relative = from.mid(QStringLiteral(":/install/").size());
        const QString to = folder + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(to).absolutePath());
        if (QFileInfo::exists(to))
            continue;
        if (!QFile::copy(from, to))
            throw AppError(DbErrors::General, QStringLiteral("Install"), QStringLiteral("Cannot write ") + to);
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
}
}

namespace DatabaseCreator {

void createInstallation(const QString& folder, bool demo)
{
    ProgramState& s = state();
    const QString database = folder + QLatin1Char('/') + s.DatabaseFile;
    if (s.DatabaseUrl.isEmpty() && QFileInfo::exists(database))
        throw AppError(DbErrors::FileExists, QStringLiteral("Install"),
                       QStringLiteral("A database already exists at %1; it was left unchanged.").arg(database));
    for (const char* sub : {"Bin", "Docs", "Arch"})
        if (!QDir().mkpath(folder + QLatin1Char('/') + QLatin1String(sub)))
            throw AppError(DbErrors::General, QStringLiteral("Install"),
                           QStringLiteral("Cannot create the folder %1/%2").arg(folder, QLatin1String(sub)));
    installResources(folder);

    Connection& c = *s.connection;
    c.open();
    try {
        c.beginTrans();
        Schema::createTables(c);
        Schema::insertRequiredRows(c);
        if (demo)
            DemoData::fill(c);
        c.commitTrans();
    } catch (...) {
        c.close();
        if (s.DatabaseUrl.isEmpty())
            QFile::remove(database);
        throw;
    }
    c.close();
}

}
