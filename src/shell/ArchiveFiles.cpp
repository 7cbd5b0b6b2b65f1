#include "shell/ArchiveFiles.h"

#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
const QString kSource = QStringLiteral("Archive");
constexpr qint64 kPiece = 256 * 1024;

[[noreturn]] void failWithErrno(const QString& what, int error)
{
    const int number = error == ENOSPC || error == EDQUOT ? DbErrors::DiskFull
                       : error == EROFS || error == EACCES || error == EPERM ? DbErrors::NoPermission
                                                                              : DbErrors::General;
    throw AppError(number, kSource, what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)));
}

// Syncs a file or folder to the disk.
void sync(const QString& path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
    if (fd < 0)
        failWithErrno(QStringLiteral("Cannot open %1").arg(path), errno);
    const int result = ::fsync(fd), error = errno;
    ::close(fd);
    if (result != 0)
        failWithErrno(QStringLiteral("Cannot write %1 to the disk").arg(path), error);
}
}

namespace ArchiveFiles {

void makePrivateFolder(const QString& folder)
{
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        failWithErrno(QStringLiteral("Cannot create the folder %1").arg(folder), errno);
    if (!QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        throw AppError(DbErrors::NoPermission, kSource, QStringLiteral("Cannot make the folder %1 private").arg(folder));
}

void write(const QString& path, const std::function<void(QFileDevice&)>& fill,
           const std::function<void(const QString&)>& check)
{
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    const int fd = ::open(QFile::encodeName(partial).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        failWithErrno(QStringLiteral("Cannot create %1").arg(partial), errno);
    try {
        QFile out;
        if (!out.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            throw AppError(DbErrors::General, kSource, QStringLiteral("Cannot write %1").arg(partial));
        }
        fill(out);
        if (!out.flush())
            failWithErrno(QStringLiteral("Cannot write %1").arg(partial), errno);
        if (::fsync(out.handle()) != 0)
            failWithErrno(QStringLiteral("Cannot write %1 to the disk").arg(partial), errno);
        out.close();
        check(partial);
        if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0)
            failWithErrno(QStringLiteral("Cannot move %1 to %2").arg(partial, path), errno);
        sync(QFileInfo(path).absolutePath(), true);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
}

void copy(const QString& source, const QString& path)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw AppError(DbErrors::General, kSource, QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
    const auto fill = [&](QFileDevice& out) {
        while (!in.atEnd()) {
            const QByteArray piece = in.read(kPiece);
            if (piece.isEmpty() && in.error() != QFileDevice::NoError)
                throw AppError(DbErrors::General, kSource, QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
            if (out.write(piece) != piece.size())
                failWithErrno(QStringLiteral("Cannot write %1").arg(path), errno);
        }
    };
    const auto check = [&](const QString& written) {
        QFile a(source), b(written);
        bool same = a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.size() == b.size();
        while (same && !a.atEnd())
            same = a.read(kPiece) == b.read(kPiece);
        if (!same)
            throw AppError(DbErrors::General, kSource,
                           QStringLiteral("The copy %1 does not match %2; it was not kept.").arg(written, source));
    };
    write(path, fill, check);
}

}
