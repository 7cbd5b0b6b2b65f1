#pragma once
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A PostgreSQL server of the test's own: a new cluster in a temporary folder, listening on a
// free port of 127.0.0.1 only, stopped and removed when the object goes. When the tests run
// as root the server runs as the "postgres" user (it refuses to run as root).
// Programs come from KORVINA_PG_BIN, else Debian's /usr/lib/postgresql/<version>/bin.
class PgTestServer {
public:
    PgTestServer();
    ~PgTestServer();
    PgTestServer(const PgTestServer&) = delete;
    PgTestServer& operator=(const PgTestServer&) = delete;

    // Commits wait for the disk (fsync on) when set before start(); the tests run without.
    void setDurable(bool durable) { m_durable = durable; }
    // Starts the server; false (with why()) when it cannot.
    bool start();
    void stop();
    // pg_ctl on the running cluster, same port and folder: a restart, or a halt and a resume
    // (the server is away in between). False (with why()) when pg_ctl fails.
    bool restart();
    bool halt();
    bool resume();
    bool isRunning() const { return m_running; }
    const QString& why() const { return m_why; }

    // A new, empty database owned by the role the program uses; its URL carries the password.
    QString createDatabase();
    // The URL of an existing database, as the program's role or as the server's superuser.
    QString url(const QString& database) const;
    QString superUrl(const QString& database = QStringLiteral("postgres")) const;
    static QString password() { return QStringLiteral("Tiger-Lily-7"); }
    // The folder of the server's programs (initdb, pg_ctl, psql), known once start() ran.
    const QString& binFolder() const { return m_bin; }

    // Runs psql on a database as the superuser and returns its unaligned, tuples-only output
    // ("a|b" per row); the test fails to compare when psql fails (the output says why).
    QString psql(const QString& database, const QString& sql) const;

private:
    bool run(const QString& program, const QStringList& arguments, QString* output = nullptr) const;
    bool pgCtl(const QStringList& arguments) const;
    bool superSql(const QString& sql, const QString& database = QStringLiteral("postgres"), QString* output = nullptr) const;

    QTemporaryDir m_dir;
    QString m_bin;
    int m_port = 0;
    bool m_running = false;
    bool m_durable = false;
    int m_databases = 0;
    QString m_why;
    QString m_options; // the server's settings, given to pg_ctl on every start
};
