#include "base/ArchiveNames.h"

#include "base/ProgramState.h"

namespace {
QString baseName()
{
    const QString& file = state().DatabaseFile;
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? file : file.left(dot);
}

QString inFolder(const QString& name) { return state().DataFolder + QLatin1Char('/') + name; }
}

namespace ArchiveNames {

QString databasePath() { return inFolder(state().DatabaseFile); }
QString lockFilePath() { return inFolder(baseName() + QStringLiteral(".Ldb")); }
QString compactedPath() { return inFolder(baseName() + QStringLiteral(".Cpt")); }
QString archiveFolder() { return inFolder(QStringLiteral("Arch")); }

QString archivePath(const QDate& day)
{
    return archiveFolder() + QLatin1Char('/') + state().DatabaseFile.left(2) + day.toString(QStringLiteral("yyMMdd"))
           + QStringLiteral(".Kys");
}

QString serverArchivePath(const QDate& day)
{
    QString path = archivePath(day);
    path.chop(4);
    return path + QStringLiteral(".dump");
}

}
