#include "platform/Connection.h"

#include "platform/AppError.h"
#include "platform/DbBackend.h"
#include "platform/LockFile.h"
#include "platform/SqliteBackend.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kSource = QStringLiteral("Korvina database");

bool isServerUrl(const QString& dataSource)
{
    return dataSource.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || dataSource.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

// The one place where the data source chooses the backend.
std::unique_ptr<DbBackend> makeBackend(const ConnectionParams& params)
{
    if (isServerUrl(params.dataSource))
        throw AppError(DbErrors::CannotOpen, kSource,
                       QStringLiteral("The database server backend is not available in this build."));
    return std::make_unique<SqliteBackend>();
}

QString quoted(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

}

Connection::Connection() = default;

Connection::~Connection()
{
    try {
        close();
    } catch (...) {
    }
}

void Connection::open(const QString&, const QString&, const QString&)
{
    if (isOpen())
        throw AppError(DbErrors::AlreadyOpen, kSource, QStringLiteral("Operation is not allowed when the object is open."));
    const ConnectionParams params = ConnectionParams::parse(m_connectionString);
    std::unique_ptr<DbBackend> backend = makeBackend(params);
    backend->open(params);
    m_backend = std::move(backend);
}

void Connection::close()
{
    if (!m_backend)
        return;
    std::unique_ptr<DbBackend> backend = std::move(m_backend);
    backend->close();
}

bool Connection::isOpen() const { return m_backend && m_backend->isOpen(); }

DbBackend& Connection::backend()
{
    if (!isOpen())
        throw AppError(DbErrors::NotOpen, kSource, QStringLiteral("Operation is not allowed when the connection is closed."));
    return *m_backend;
}

void Connection::beginTrans() { backend().begin(); }

void Connection::commitTrans() { backend().commit(); }

void Connection::execute(const QString& sql) { backend().execute(sql); }

void Connection::refreshCache() { backend().refreshCache(); }

void Connection::compactDatabase(const QString& sourceConnectionString, const QString& destinationConnectionString,
                                 const LockFile* heldLock)
{
    const ConnectionParams source = ConnectionParams::parse(sourceConnectionString);
    const ConnectionParams destination = ConnectionParams::parse(destinationConnectionString);
    if (isServerUrl(source.dataSource) || isServerUrl(destination.dataSource))
        throw AppError(DbErrors::General, kSource, QStringLiteral("A database on the server is not compacted by the program."));
    if (source.dataSource.isEmpty() || !QFileInfo::exists(source.dataSource))
        throw AppError(DbErrors::CannotOpen, kSource,
                       QStringLiteral("The database file %1 does not exist.").arg(source.dataSource));
    if (destination.dataSource.isEmpty())
        throw AppError(DbErrors::CannotOpen, kSource, QStringLiteral("No destination file was named."));
    if (QFileInfo::exists(destination.dataSource))
        throw AppError(DbErrors::FileExists, kSource,
                       QStringLiteral("The file %1 already exists.").arg(destination.dataSource));
    const bool heldByCaller = heldLock && heldLock->isHeld() && heldLock->path() == LockFile::pathFor(source.dataSource);
    if (!heldByCaller && LockFile::isHeldByAnother(LockFile::pathFor(source.dataSource)))
        throw AppError(DbErrors::InUse, kSource,
                       QStringLiteral("The database %1 is in use by another copy of the program.").arg(source.dataSource));

    const QString password = destination.password.isEmpty() ? source.password : destination.password;
    SqliteBackend backend;
    if (heldByCaller)
        backend.openWithoutLock(source);
    else
        backend.open(source);
    try {
        backend.executeNative(QStringLiteral("ATTACH DATABASE %1 AS compacted KEY %2")
                                  .arg(quoted(destination.dataSource), quoted(password)));
        try {
            backend.executeNative(QStringLiteral("SELECT sqlcipher_export('compacted')"));
        } catch (...) {
            try {
                backend.executeNative(QStringLiteral("DETACH DATABASE compacted"));
            } catch (...) {
            }
            throw;
        }
        backend.executeNative(QStringLiteral("DETACH DATABASE compacted"));
    } catch (...) {
        backend.close();
        QFile::remove(destination.dataSource);
        throw;
    }
    backend.close();
}
