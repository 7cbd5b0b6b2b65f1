#include "platform/LockFile.h"

#include "platform/AppError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray native(const QString& path) { return QFile::encodeName(path); }

// A lock file that cannot be made says why: a folder that cannot be written or a full disk.
int errorNumber(int error)
{
    if (error == EROFS || error == EACCES || error == EPERM)
        return DbErrors::NoPermission;
    if (error == ENOSPC || error == EDQUOT)
        return DbErrors::DiskFull;
    return DbErrors::CannotOpen;
}
}

LockFile::~LockFile() { release(); }

QString LockFile::pathFor(const QString& databasePath)
{
    const QFileInfo info(databasePath);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".Ldb");
}

bool LockFile::isHeldByAnother(const QString& lockPath)
{
    const int fd = ::open(native(lockPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool held = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        held = errno == EWOULDBLOCK || errno == EAGAIN;
    else
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return held;
}

void LockFile::acquire(const QString& lockPath) { take(lockPath, LOCK_SH); }

void LockFile::acquireExclusive(const QString& lockPath) { take(lockPath, LOCK_EX); }

void LockFile::take(const QString& lockPath, int mode)
{
    release();
    const QByteArray name = native(lockPath);
    const QString source = QStringLiteral("Korvina database");
    // A copy that is closing may delete the file between our open and our lock: then we
    // hold a lock on a file nobody else can see, so open again until the lock is on the
    // file that is in the folder. A closing copy also holds the lock exclusively for a moment
    // while it checks whether it is the last; the start-up maintenance holds it for as long as
    // it works on the file, and then nobody else may have the file open.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int error = errno;
            throw AppError(errorNumber(error), source,
                           QStringLiteral("Cannot create the lock file %1: %2")
                               .arg(lockPath, QString::fromLocal8Bit(std::strerror(error))));
        }
        if (::flock(fd, mode | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error != EWOULDBLOCK && error != EAGAIN)
                throw AppError(DbErrors::CannotOpen, source,
                               QStringLiteral("Cannot lock the lock file %1: %2")
                                   .arg(lockPath, QString::fromLocal8Bit(std::strerror(error))));
            if (mode == LOCK_EX)
                throw AppError(DbErrors::InUse, source,
                               QStringLiteral("The database is open in another copy of the program (%1)").arg(lockPath));
            ::usleep(10000);
            continue;
        }
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_ino == named.st_ino
            && held.st_dev == named.st_dev) {
            m_fd = fd;
            m_path = lockPath;
            return;
        }
        ::close(fd);
    }
    throw AppError(DbErrors::InUse, source,
                   QStringLiteral("The database is held by another copy of the program (%1)").arg(lockPath));
}

void LockFile::release()
{
    if (m_fd < 0)
        return;
    // Nobody else holds it when the shared lock can become an exclusive one at once.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        ::unlink(native(m_path).constData());
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}
