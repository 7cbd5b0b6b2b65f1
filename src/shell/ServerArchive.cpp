#include "shell/ServerArchive.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/PgBackend.h"
#include "platform/Recordset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
const QString kSource = QStringLiteral("Daily archive");
// The advisory lock's key: "Korv" in ASCII.
constexpr qint64 kLockKey = 0x4B6F7276;

QVariant scalar(Connection& c, const QString& sql, const QVariantList& parameters = {})
{
    const ResultSet r = c.backend().query(sql, parameters);
    return r.rows.isEmpty() ? QVariant() : r.rows.first().value(0);
}

void dump(const QString& url, const QString& target)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString password = QUrl(url).password();
    if (!password.isEmpty())
        env.insert(QStringLiteral("PGPASSWORD"), password);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = env.value(QStringLiteral("KORVINA_PG_DUMP"), QStringLiteral("pg_dump"));
    p.start(program, {QStringLiteral("--format=custom"), QStringLiteral("--file=") + target,
                      QStringLiteral("--dbname=") + PgBackend::redacted(url)});
    const bool done = p.waitForFinished(30 * 60 * 1000);
    if (!done || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        QFile::remove(target);
        const QString output = QString::fromLocal8Bit(p.readAll()).trimmed();
        throw AppError(DbErrors::General, kSource,
                       QStringLiteral("pg_dump could not write %1: %2").arg(target, output.isEmpty() ? p.errorString() : output));
    }
}
}

ServerArchive::Outcome ServerArchive::run(const QString& url, const QString& archivePath)
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
    QDir().mkpath(QFileInfo(archivePath).absolutePath());
    const QString partial = archivePath + QStringLiteral(".part");
    QFile::remove(partial);
    dump(url, partial);
    QFile::remove(archivePath);
    if (!QFile::rename(partial, archivePath))
        throw AppError(DbErrors::General, kSource, QStringLiteral("Cannot move %1 to %2").arg(partial, archivePath));
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
