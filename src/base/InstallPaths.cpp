#include "base/InstallPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString clean(const QString& folder) { return QDir::cleanPath(QDir(folder).absolutePath()); }

bool holdsResources(const QString& folder) { return QFileInfo(folder + QStringLiteral("/Bin")).isDir(); }

// True when `folder` is `tree` or lies under it.
bool within(const QString& folder, const QString& tree)
{
    const QString f = QFileInfo(folder).canonicalFilePath();
    const QString t = QFileInfo(tree).canonicalFilePath();
    return !t.isEmpty() && (f == t || f.startsWith(t + QLatin1Char('/')));
}
}

QString InstallPaths::dataFolder(const QString& chosen, const QString& programFolder)
{
    if (!chosen.isEmpty())
        return clean(chosen);
    if (QFileInfo::exists(programFolder + QStringLiteral("/Korvina.Kys")))
        return clean(programFolder);
    return userDataFolder();
}

QString InstallPaths::userDataFolder()
{
    return clean(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Korvina"));
}

QString InstallPaths::resourceFolder(const QString& programFolder)
{
    const QString installed = clean(programFolder + QStringLiteral("/../share/korvina"));
    if (holdsResources(installed))
        return installed;
    if (within(programFolder, QStringLiteral(KORVINA_BUILD_TREE)) && holdsResources(QStringLiteral(KORVINA_SOURCE_RESOURCES)))
        return clean(QStringLiteral(KORVINA_SOURCE_RESOURCES));
    return {};
}
