#include "shell/ServerArchive.h"

#include "base/ProgramState.h"
#include "platform/AppError.h"
#include "platform/ArchiveCipher.h"
#include "platform/Connection.h"
#include "platform/PgBackend.h"
#include "platform/Recordset.h"
#include "shell/ArchiveFiles.h"
#include "shell/ServerCopy.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileDevice>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QUrlQuery>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {
const QString kSource = QStringLiteral("Daily archive");
// The advisory lock's key: "Korv" in ASCII.
constexpr qint64 kLockKey = 0x4B6F7276;
constexpr int kDefaultLimit = 60000;
int timeLimit = kDefaultLimit;

QVariant scalar(Connection& c, const QString& sql, const QVariantList& parameters = {})
{
    const ResultSet r = c.backend().query(sql, parameters);
    return r.rows.isEmpty() ? QVariant() : r.rows.first().value(0);
}

// The password libpq would use from the URL: its user information or its "password" parameter.
QString urlPassword(const QString& url)
{
    const QUrl u(url);
    if (!u.password().isEmpty())
        return u.password();
    return QUrlQuery(u).queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded);
}

// pg_dump or pg_restore, set up to run unattended: the password in its own environment, its
// input closed, and killed by the system if the program dies before it.
void prepare(QProcess& p, const QString& url, const char* variable, const QString& fallback, bool readsInput = false)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString password = urlPassword(url);
    if (!password.isEmpty())
        env.insert(QStringLiteral("PGPASSWORD"), password);
    p.setProcessEnvironment(env);
    p.setProgram(env.value(QString::fromLatin1(variable), fallback));
    if (!readsInput)
        p.setStandardInputFile(QProcess::nullDevice());
    const pid_t parent = ::getpid();
    p.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) // the program died before the line above
            ::_exit(127);
    });
}

QString errorText(QProcess& p)
{
    const QString output = QString::fromLocal8Bit(p.readAllStandardError()).simplified();
    return output.isEmpty() ? p.errorString() : output;
}

void stop(QProcess& p)
{
    p.kill();
    p.waitForFinished(5000);
}

// Runs pg_dump and seals what it writes into `out`.
void dump(const QString& url, QFileDevice& out, const std::function<void()>& tick)
{
    QProcess p;
    prepare(p, url, "KORVINA_PG_DUMP", QStringLiteral("pg_dump"));
    p.setArguments({QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                    QStringLiteral("--dbname=") + PgBackend::redacted(url)});
    p.start();
    if (!p.waitForStarted())
        throw AppError(DbErrors::General, kSource, QStringLiteral("pg_dump cannot be started: ") + p.errorString());
    ArchiveCipher::Sealer sealer(out, state().databasePassword());
    const QDeadlineTimer deadline(timeLimit);
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 size = 0;
    try {
        while (p.state() != QProcess::NotRunning || p.bytesAvailable() > 0) {
            if (deadline.hasExpired())
                throw AppError(DbErrors::TimedOut, kSource,
                               QStringLiteral("pg_dump did not finish within %1 seconds and was stopped.")
                                   .arg(timeLimit / 1000.0));
            p.waitForReadyRead(100);
            const QByteArray piece = p.readAllStandardOutput();
            sealer.write(piece.constData(), piece.size());
            size += piece.size();
            if (tick && sinceTick.elapsed() >= 1000) {
                tick();
                sinceTick.restart();
            }
        }
    } catch (...) {
        stop(p);
        throw;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || size == 0)
        throw AppError(DbErrors::General, kSource, QStringLiteral("pg_dump failed: ") + errorText(p));
    sealer.finish();
}

// A sealed dump is whole when it opens with the password and holds a custom-format archive.
void checkDump(const QString& path, const QString& password)
{
    QByteArray start;
    ArchiveCipher::unseal(path, password, [&](const char* data, qint64 size) {
        if (start.size() < 5)
            start.append(data, int(std::min<qint64>(size, 5)));
    });
    if (!start.startsWith("PGDMP"))
        throw AppError(DbErrors::General, kSource, QStringLiteral("%1 does not hold a pg_dump archive.").arg(path));
}
}

void ServerArchive::setTimeLimit(int milliseconds) { timeLimit = milliseconds > 0 ? milliseconds : kDefaultLimit; }

ServerArchive::Outcome ServerArchive::run(const QString& url, const QString& archivePath, const std::function<void()>& tick)
{
    Connection c;
    c.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + url);
    c.open();
    if (scalar(c, QStringLiteral("Select pg_try_advisory_lock(?)"), {kLockKey}).toInt() != 1)
        return Outcome::OtherCopyBusy; // closing the connection drops everything it held
    const QString note = QStringLiteral("Korvina archive ") + QFileInfo(archivePath).completeBaseName();
    const QString database = scalar(c, QStringLiteral("Select current_database()")).toString();
    const QString noted = scalar(c, QStringLiteral("Select shobj_description(d.oid, 'pg_database') From pg_database d "
                                                   "Where d.datname = ?"),
                                 {database})
                              .toString();
    if (noted == note || QFileInfo::exists(archivePath))
        return Outcome::AlreadyDone;
    ArchiveFiles::makePrivateFolder(QFileInfo(archivePath).absolutePath());
    const QString password = state().databasePassword();
    ArchiveFiles::write(
        archivePath, [&](QFileDevice& out) { dump(url, out, tick); },
        [&](const QString& written) { checkDump(written, password); });
    // COMMENT takes no parameters: the note is the program's own text and the name is quoted.
    QString quoted = database;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    try {
        c.execute(QStringLiteral("COMMENT ON DATABASE \"%1\" IS '%2'").arg(quoted, note));
    } catch (const AppError&) {
        // Only the database's owner may note it; other desks then find the archive file.
    }
    return Outcome::Written;
}

void ServerArchive::restore(const QString& archivePath, const QString& url, const QString& password)
{
    // The whole archive is checked before pg_restore reads a byte of it.
    checkDump(archivePath, password);
    {
        Connection c;
        c.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + url);
        c.open();
        ServerCopy::checkEmpty(c);
    }
    QProcess p;
    prepare(p, url, "KORVINA_PG_RESTORE", QStringLiteral("pg_restore"), true); // it reads the archive from its input
    // The collations that opening the database made are replaced by the archive's own.
    p.setArguments({QStringLiteral("--no-password"), QStringLiteral("--single-transaction"), QStringLiteral("--clean"),
                    QStringLiteral("--if-exists"),
                    QStringLiteral("--exit-on-error"), QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"),
                    QStringLiteral("--dbname=") + PgBackend::redacted(url)});
    p.start();
    if (!p.waitForStarted())
        throw AppError(DbErrors::General, kSource, QStringLiteral("pg_restore cannot be started: ") + p.errorString());
    try {
        ArchiveCipher::unseal(archivePath, password, [&](const char* data, qint64 size) {
            if (p.write(data, size) != size || !p.waitForBytesWritten(-1))
                throw AppError(DbErrors::General, kSource, QStringLiteral("pg_restore stopped: ") + errorText(p));
        });
    } catch (...) {
        stop(p);
        throw;
    }
    p.closeWriteChannel();
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw AppError(DbErrors::General, kSource, QStringLiteral("pg_restore failed: ") + errorText(p));
}
