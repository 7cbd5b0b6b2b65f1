#include "PgTestServer.h"

#include "LocalPort.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace {
const QString kRole = QStringLiteral("korvina_desk");

bool asRoot() { return geteuid() == 0; }

QString findBin()
{
    const QString given = qEnvironmentVariable("KORVINA_PG_BIN");
    if (!given.isEmpty())
        return given;
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    for (const QString& v : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed))
        if (QFile::exists(versions.filePath(v + QStringLiteral("/bin/initdb"))))
            return versions.filePath(v + QStringLiteral("/bin"));
    return {};
}
}

PgTestServer::PgTestServer() : m_dir(QDir::tempPath() + QStringLiteral("/korvina-pg-XXXXXX")) {}

PgTestServer::~PgTestServer() { stop(); }

// Runs one of the server's programs (as "postgres" when the tests run as root, psql aside).
bool PgTestServer::run(const QString& program, const QStringList& arguments, QString* output) const
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(m_dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    const QString path = m_bin + QLatin1Char('/') + program;
    if (asRoot() && program != QLatin1String("psql"))
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), path} + arguments);
    else
        p.start(path, arguments);
    const bool finished = p.waitForFinished(120000);
    const QString text = QString::fromUtf8(p.readAll());
    if (output)
        *output = text;
    if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        const_cast<PgTestServer*>(this)->m_why = program + QStringLiteral(": ") + text;
        return false;
    }
    return true;
}

bool PgTestServer::pgCtl(const QStringList& arguments) const
{
    return run(QStringLiteral("pg_ctl"), QStringList{QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-w")} + arguments);
}

bool PgTestServer::superSql(const QString& sql, const QString& database, QString* output) const
{
    return run(QStringLiteral("psql"), {superUrl(database), QStringLiteral("-X"), QStringLiteral("-A"), QStringLiteral("-t"),
                                        QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-c"), sql},
               output);
}

bool PgTestServer::start()
{
    m_bin = findBin();
    if (m_bin.isEmpty() || !m_dir.isValid()) {
        m_why = QStringLiteral("no PostgreSQL server programs (install Debian's postgresql package)");
        return false;
    }
    if (asRoot()) {
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        QProcess::execute(QStringLiteral("chown"), {QStringLiteral("postgres"), m_dir.path()});
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!run(QStringLiteral("initdb"), QStringLiteral("-U postgres -A trust -E UTF8 --locale=C.UTF-8 --no-sync -D").split(QLatin1Char(' ')) << data))
        return false;
    // Only the superuser comes in without a password; the program's role must give one.
    QFile hba(data + QStringLiteral("/pg_hba.conf"));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    hba.write("local all postgres trust\nhost all postgres 127.0.0.1/32 trust\nhost all all 127.0.0.1/32 scram-sha-256\n");
    hba.close();
    m_port = freeLocalPort();
    m_options = QStringLiteral("-c listen_addresses=127.0.0.1 -c port=%1 -c unix_socket_directories=%2 -c fsync=%3 -c max_connections=40")
                    .arg(m_port)
                    .arg(m_dir.path(), m_durable ? QStringLiteral("on") : QStringLiteral("off"));
    if (!resume())
        return false;
    m_running = true;
    if (!superSql(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(kRole, password()))) {
        stop();
        return false;
    }
    return true;
}

bool PgTestServer::resume()
{
    return pgCtl({QStringLiteral("-o"), m_options, QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("start")});
}

bool PgTestServer::halt() { return pgCtl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")}); }

bool PgTestServer::restart() { return halt() && resume(); }

void PgTestServer::stop()
{
    if (std::exchange(m_running, false))
        pgCtl({QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("stop")});
}

QString PgTestServer::url(const QString& database) const
{
    return QStringLiteral("postgresql://%1:%2@127.0.0.1:%3/%4").arg(kRole, password()).arg(m_port).arg(database);
}

QString PgTestServer::superUrl(const QString& database) const
{
    return QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2").arg(m_port).arg(database);
}

QString PgTestServer::createDatabase()
{
    const QString name = QStringLiteral("office%1").arg(++m_databases);
    return superSql(QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(name, kRole)) ? url(name) : QString();
}

QString PgTestServer::psql(const QString& database, const QString& sql) const
{
    QString out;
    return superSql(sql, database, &out) ? out.trimmed() : QStringLiteral("psql failed: ") + out;
}
