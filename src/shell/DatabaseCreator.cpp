#include "shell/DatabaseCreator.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "base/ProgramState.h"
#include "base/Schema.h"
#include "shell/ArchiveFiles.h"
#include "shell/ServerCopy.h"
#include "base/InstallPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {
// Copies the manual, the report layouts and the lead templates into a new DataFolder.
void installResources(const QString& resources, const QString& folder)
{
    for (const char* sub : {"Bin", "Docs"}) {
        const QString root = resources + QLatin1Char('/') + QLatin1String(sub);
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = folder + QLatin1Char('/') + QLatin1String(sub) + from.mid(root.size());
            QDir().mkpath(QFileInfo(to).absolutePath());
            if (QFileInfo::exists(to))
                continue;
            if (!QFile::copy(from, to))
                throw AppError(DbErrors::General, QStringLiteral("Install"), QStringLiteral("Cannot write ") + to);
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        }
    }
}
}

namespace DatabaseCreator {

void createInstallation(const QString& folder, bool demo)
{
    ProgramState& s = state();
    const QString database = folder + QLatin1Char('/') + s.DatabaseFile;
    const bool embedded = s.DatabaseUrl.isEmpty();
    if (embedded && QFileInfo::exists(database))
        throw AppError(DbErrors::FileExists, QStringLiteral("Install"),
                       QStringLiteral("A database already exists at %1; it was left unchanged.").arg(database));
    const QString compacted = QFileInfo(database).path() + QLatin1Char('/') + QFileInfo(database).completeBaseName()
                              + QStringLiteral(".Cpt");
    if (embedded && QFileInfo::exists(compacted))
        throw AppError(DbErrors::FileExists, QStringLiteral("Install"),
                       QStringLiteral("%1 holds the database of an interrupted compaction; start the program once "
                                      "to put it back instead of creating a new one.")
                           .arg(compacted));
    if (!embedded) {
        // A database on the server is never overwritten, and a refused --init leaves no folder.
        Connection& c = *s.connection;
        c.open();
        try {
            ServerCopy::checkEmpty(c);
        } catch (...) {
            c.close();
            throw;
        }
        c.close();
    }
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString resources = InstallPaths::resourceFolder(programFolder);
    if (resources.isEmpty())
        throw AppError(DbErrors::General, QStringLiteral("Install"),
                       QStringLiteral("The program's manual, report layouts and templates are missing: "
                                      "they belong in %1.")
                           .arg(QDir::cleanPath(programFolder + QStringLiteral("/../share/korvina"))));
    for (const char* sub : {"Bin", "Docs"})
        if (!QDir().mkpath(folder + QLatin1Char('/') + QLatin1String(sub)))
            throw AppError(DbErrors::General, QStringLiteral("Install"),
                           QStringLiteral("Cannot create the folder %1/%2").arg(folder, QLatin1String(sub)));
    ArchiveFiles::makePrivateFolder(folder + QStringLiteral("/Arch"));
    installResources(resources, folder);

    auto fill = [demo](Connection& c) {
        c.beginTrans();
        Schema::createTables(c);
        Schema::insertRequiredRows(c);
        if (demo)
            DemoData::fill(c);
        c.commitTrans();
    };
    if (!embedded) {
        Connection& c = *s.connection;
        c.open();
        try {
            ServerCopy::checkEmpty(c); // still empty: no other desk filled it meanwhile
            fill(c);
        } catch (...) {
            c.close();
            throw;
        }
        c.close();
        return;
    }

    // The new database is built under a name of its own and takes its place only when it is
    // complete, so that an --init that is stopped part way leaves no half-made database behind.
    const QString building = database + QStringLiteral(".new");
    const auto removeBuilding = [&] {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(building + QLatin1String(suffix));
    };
    removeBuilding(); // what an earlier, stopped --init left
    Connection c;
    c.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + building
                          + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=")
                          + s.databasePassword());
    try {
        c.open();
        fill(c);
        c.close(); // the last connection folds its log into the file
        if (QFileInfo::exists(building + QStringLiteral("-wal")) && QFileInfo(building + QStringLiteral("-wal")).size() > 0)
            throw AppError(DbErrors::General, QStringLiteral("Install"),
                           QStringLiteral("The new database %1 could not be completed").arg(building));
        QFile::remove(building + QStringLiteral("-wal"));
        QFile::remove(building + QStringLiteral("-shm"));
        if (QFileInfo::exists(database) || !QFile::rename(building, database))
            throw AppError(DbErrors::General, QStringLiteral("Install"),
                           QStringLiteral("Cannot move the new database into place at %1").arg(database));
    } catch (...) {
        if (c.isOpen())
            c.close();
        removeBuilding();
        throw;
    }
}

}
