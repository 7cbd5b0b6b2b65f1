#include "reports/LayoutFiles.h"

#include "base/InstallPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace LayoutFiles {

QStringList installMissing(const QString& binFolder)
{
    // The layouts come from the installed files (or the source tree when run from a build).
    QStringList written;
    const QString resources = InstallPaths::resourceFolder(QCoreApplication::applicationDirPath());
    if (resources.isEmpty() || !QDir().mkpath(binFolder))
        return written;
    const QDir carried(resources + QStringLiteral("/Bin"));
    for (const QString& name : carried.entryList({QStringLiteral("*.Krp")}, QDir::Files)) {
        const QString to = QDir(binFolder).filePath(name);
        if (QFileInfo::exists(to))
            continue;
        if (QFile::copy(carried.filePath(name), to)) {
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
            written << name;
        }
    }
    return written;
}

}
