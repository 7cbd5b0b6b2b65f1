#include "reports/LayoutFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace LayoutFiles {

QStringList installMissing(const QString& binFolder)
{
    // The layouts are built into the program with the other installed files.
    const QDir carried(QStringLiteral(":/install/Bin"));
    QStringList written;
    if (!QDir().mkpath(binFolder))
        return written;
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
