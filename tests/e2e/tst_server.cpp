// Several desks on one database server: moving an office's file to the server with the
// program's command line, and two copies of the program working on the same records.
#include "common/PgTestServer.h"
#include "common/TestSupport.h"

#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "shell/ProgramState.h"
#include "shell/Schema.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {
struct Run {
    int code = -1;
    QString output;
};

Run korvina(const QStringList& arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(qEnvironmentVariable("KORVINA_BINARY"), arguments);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

QByteArray digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

// A table of the file, every row in EId order, written the way psql -A -t writes the server's.
QString fileRows(Connection& file, const QString& table)
{
    Recordset rs;
    QStringList rows;
    for (rs.open(QStringLiteral("Select * From %1 ORDER BY EId").arg(table), file, CursorType::Static, LockType::ReadOnly);
         !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i) {
            const QVariant v = rs.field(i).value();
            if (v.typeId() == QMetaType::QDate)
                cells << v.toDate().toString(Qt::ISODate) + QStringLiteral(" 00:00:00");
            else if (v.typeId() == QMetaType::QDateTime)
                cells << v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            else
                cells << v.toString();
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}
}

class TstServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.why())); }
    void copyOfADemoFolder();
    void initOnTheServer();

private:
    PgTestServer m_server;
};

void TstServer::copyOfADemoFolder()
{
    TestDataFolder folder({/*demo*/ true, /*open*/ false, /*login*/ false});
    const QString url = m_server.createDatabase();
    const QString database = url.section(QLatin1Char('/'), -1);

    // A copy that fails half-way (a text longer than its column, which the file let in) leaves
    // the server without a table and the file as it was.
    {
        Connection file;
        file.setConnectionString(state().connection->connectionString());
        file.open();
        file.execute(QStringLiteral("UPDATE kaCustomize SET CRemarks = '%1'").arg(QString(30, QLatin1Char('x'))));
        file.close();
    }
    const QByteArray spoilt = digest(folder.databasePath());
    Run copy = korvina({QStringLiteral("--data"), folder.path(), QStringLiteral("--copy-to"), url});
    QCOMPARE(copy.code, 1);
    QVERIFY2(!copy.output.contains(PgTestServer::password()), qPrintable(copy.output));
    QCOMPARE(m_server.psql(database, QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'")),
             QStringLiteral("0"));
    QCOMPARE(digest(folder.databasePath()), spoilt);
    {
        Connection file;
        file.setConnectionString(state().connection->connectionString());
        file.open();
        file.execute(QStringLiteral("UPDATE kaCustomize SET CRemarks = 'Look and behaviour'"));
        file.close();
    }

    copy = korvina({QStringLiteral("--data"), folder.path(), QStringLiteral("--copy-to"), url});
    QVERIFY2(copy.code == 0, qPrintable(copy.output));
    QVERIFY2(!copy.output.contains(PgTestServer::password()), qPrintable(copy.output));
    Connection file;
    file.setConnectionString(state().connection->connectionString());
    file.open();
    for (const SchemaTable& t : Schema::tables()) {
        const QString count = m_server.psql(database, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t.name));
        QVERIFY2(copy.output.contains(QStringLiteral("%1: %2 rows").arg(t.name, count)), qPrintable(copy.output));
        QCOMPARE(m_server.psql(database, QStringLiteral("SELECT * FROM \"%1\" ORDER BY \"EId\"").arg(t.name)),
                 fileRows(file, t.name));
    }
    // New rows are numbered after the copied ones.
    const QString highest = m_server.psql(database, QStringLiteral("SELECT max(\"EId\") FROM \"ktCustomer\""));
    const QString added = m_server.psql(
        database, QStringLiteral("INSERT INTO \"ktCustomer\" (\"EDate\") VALUES (now()) RETURNING \"EId\""));
    QCOMPARE(added.section(QLatin1Char('\n'), 0, 0), QString::number(highest.toInt() + 1));
    file.close();

    // A second copy into the same database is refused and changes nothing.
    const QString customers = m_server.psql(database, QStringLiteral("SELECT count(*) FROM \"ktCustomer\""));
    copy = korvina({QStringLiteral("--data"), folder.path(), QStringLiteral("--copy-to"), url});
    QCOMPARE(copy.code, 1);
    QVERIFY2(copy.output.contains(QLatin1String("empty database")), qPrintable(copy.output));
    QCOMPARE(m_server.psql(database, QStringLiteral("SELECT count(*) FROM \"ktCustomer\"")), customers);
}

void TstServer::initOnTheServer()
{
    QTemporaryDir desk;
    const QString url = m_server.createDatabase();
    const QString database = url.section(QLatin1Char('/'), -1);
    Run init = korvina({QStringLiteral("--data"), desk.path(), QStringLiteral("--database"), url, QStringLiteral("--init"),
                        QStringLiteral("--demo")});
    QVERIFY2(init.code == 0, qPrintable(init.output));
    QVERIFY2(!init.output.contains(PgTestServer::password()), qPrintable(init.output));
    QCOMPARE(m_server.psql(database, QStringLiteral("SELECT \"ULogin\" FROM \"kaUser\" WHERE \"EId\" = 1")),
             QStringLiteral("Chief"));
    QVERIFY(m_server.psql(database, QStringLiteral("SELECT count(*) FROM \"ktCustomer\"")).toInt() > 0);
    init = korvina({QStringLiteral("--data"), desk.path(), QStringLiteral("--database"), url, QStringLiteral("--init")});
    QCOMPARE(init.code, 1);
    QVERIFY2(init.output.contains(QLatin1String("empty database")), qPrintable(init.output));
}

QTEST_MAIN(TstServer)
#include "tst_server.moc"
