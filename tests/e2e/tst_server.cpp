// Several desks on one database server: moving an office's file to the server with the
// program's command line, and two copies of the program working on the same records.
#include "common/ProgramProcess.h"
#include "common/PgTestServer.h"
#include "StartAsChief.h"
#include "common/TestSupport.h"

#include "app/Application.h"
#include "base/ProgramState.h"
#include "base/Schema.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "shell/DatabaseCreator.h"
#include "shell/KKMain.h"
#include "shell/Maintenance.h"
#include "shell/ServerArchive.h"
#include "base/Program.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {
// Starts the program on a desk's folder and the server's database and logs in as Chief.
KKMain* startDesk(Application& app, const QString& folder, const QString& url)
{
    state().DataFolder = folder;
    state().DatabaseUrl = url;
    return startAsChief(app);
}

// Opens the customers (the newest is shown), Modify, writes the remarks and fills any empty box.
RecordScreen* editNewestCustomer(KKMain* main, const QString& remarks)
{
    if (!Engine::activeScreen())
        main->menuEntry("Transaction", 1)->trigger();
    RecordScreen* screen = Engine::activeScreen();
    main->toolbarAction(2)->trigger(); // Modify
    for (int i = 2; i <= 20; ++i)
        if (screen->text(i).trimmed().isEmpty())
            screen->setText(i, QStringLiteral("-"));
    screen->setText(20, remarks);
    return screen;
}

// The other desk, run in a process of its own: it changes the newest customer's remarks and
// saves. Exit code 0 when it saw no "Error!"; its messages on standard output.
int runOtherDesk(const QString& folder, const QString& url, const QString& remarks)
{
    Application app;
    ScriptedMessages messages;
    KKMain* main = startDesk(app, folder, url);
    if (!main)
        return 3;
    editNewestCustomer(main, remarks);
    main->toolbarAction(5)->trigger(); // Save
    std::printf("%s\n", qPrintable(messages.shown.join(QLatin1Char('|'))));
    return messages.shown.contains(QStringLiteral("Error!")) ? 1 : 0;
}

// pg_dump as the program must run it: no password on its command line, --no-password, its
// input closed. It notes its process id in the folder's file "pid"; stalled, it hangs.
QString writeCheckingPgDump(const QString& folder, bool stall)
{
    const QString path = folder + QStringLiteral("/pg_dump");
    writeFile(path, "#!/bin/sh\n"
                    "echo $$ > '" + folder.toUtf8() + "/pid'\n"
                    + (stall ? "exec sleep 600\n" : "") +
                    "case \"$*\" in *Tiger-Lily*) echo 'the password is on the command line' >&2; exit 9;; esac\n"
                    "case \" $* \" in *' --no-password '*) ;; *) echo 'no --no-password' >&2; exit 9;; esac\n"
                    "if read -r line; then echo 'the input is open' >&2; exit 9; fi\n"
                    "exec pg_dump \"$@\"\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// True while the process lives (a zombie waiting for its parent counts as gone).
bool alive(qint64 pid)
{
    const QString status = QString::fromLatin1(fileContents(QStringLiteral("/proc/%1/status").arg(pid)));
    return pid > 0 && !status.isEmpty() && !status.contains(QRegularExpression(QStringLiteral("State:\\s+Z")));
}

qint64 pidIn(const QString& file) { return fileContents(file).trimmed().toLongLong(); }

// A desk's folder and a new database of its own on the server.
struct Desk {
    explicit Desk(PgTestServer& server) : url(server.createDatabase()), database(url.section(QLatin1Char('/'), -1)) {}
    QString path() const { return dir.path(); }
    QTemporaryDir dir;
    QString url, database;
};

// The program state of a desk on `folder` and the server's database, for the maintenance alone.
struct DeskState {
    DeskState(const QString& folder, const QString& url)
    {
        state().DataFolder = folder;
        state().DatabaseUrl = url;
        InitProgramState();
    }
    ProgramState programState;
};

// A table of the file, every row in EId order, written the way psql -A -t writes the server's.
QString fileRows(Connection& file, const QString& table)
{
    Recordset rs;
    rs.open(QStringLiteral("Select * From %1 ORDER BY EId").arg(table), file, CursorType::Static, LockType::ReadOnly);
    QStringList rows;
    for (const QVector<QVariant>& values : rs.rows()) {
        QStringList cells;
        for (const QVariant& v : values) {
            if (v.typeId() == QMetaType::QDate)
                cells << v.toDate().toString(Qt::ISODate) + QStringLiteral(" 00:00:00");
            else if (v.typeId() == QMetaType::QDateTime)
                cells << v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            else if (v.typeId() == QMetaType::QByteArray)
                cells << QStringLiteral("\\x") + QString::fromLatin1(v.toByteArray().toHex());
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
    void copyOfADemoFolder()
    {
        TestDataFolder folder({.content = DemoData::fill, .open = false, .login = false});
        const Desk server(m_server);
        Connection& file = *state().connection;
        const auto copy = [&] { return runKorvina({"--data", folder.path(), "--copy-to", server.url}); };

        // A copy that fails half-way (a text longer than its column, which the file let in) leaves
        // the server without a table and the file as it was.
        file.open();
        folder.exec(QStringLiteral("UPDATE kaCustomize SET CRemarks = '%1'").arg(QString(30, QLatin1Char('x'))));
        file.close();
        const QByteArray spoilt = fileContents(folder.databasePath());
        ProcessRun run = copy();
        QCOMPARE(run.code, 1);
        QVERIFY2(!run.text().contains(PgTestServer::password()), qPrintable(run.text()));
        QVERIFY2(run.text().contains(QLatin1String("CRemarks in row 1 of kaCustomize")), qPrintable(run.text()));
        QCOMPARE(m_server.psql(server.database, "SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), QStringLiteral("0"));
        QVERIFY(fileContents(folder.databasePath()) == spoilt);

        // Not while a desk has the file open.
        file.open();
        folder.exec("UPDATE kaCustomize SET CRemarks = 'Look and behaviour'");
        // A picture's bytes arrive as they are, zero bytes and backslashes included.
        folder.exec("INSERT INTO kaPicture (EDate, PCid, PName, PType, PSize, PData) VALUES "
                    "('2026-12-06', 'p1@korvina', 'logo.png', 'image/png', 5, X'00FF5C2700')");
        run = copy();
        file.close();
        QCOMPARE(run.code, 1);
        QVERIFY2(run.text().contains(QLatin1String("open in another copy")), qPrintable(run.text()));

        run = copy();
        QVERIFY2(run.code == 0, qPrintable(run.text()));
        QVERIFY2(!run.text().contains(PgTestServer::password()), qPrintable(run.text()));
        file.open();
        for (const SchemaTable& t : Schema::tables()) {
            const QString count = m_server.psql(server.database, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t.name));
            QVERIFY2(run.text().contains(QStringLiteral("%1: %2 rows").arg(t.name, count)), qPrintable(run.text()));
            QCOMPARE(m_server.psql(server.database, QStringLiteral("SELECT * FROM \"%1\" ORDER BY \"EId\"").arg(t.name)),
                     fileRows(file, t.name));
        }
        file.close();
        // New rows are numbered after the copied ones.
        const QString highest = m_server.psql(server.database, "SELECT max(\"EId\") FROM \"ktCustomer\"");
        const QString added = m_server.psql(server.database, "INSERT INTO \"ktCustomer\" (\"EDate\") VALUES (now()) RETURNING \"EId\"");
        QCOMPARE(added.section(QLatin1Char('\n'), 0, 0), QString::number(highest.toInt() + 1));

        // A second copy, or a new installation, into the same database is refused and changes nothing.
        const QString customers = m_server.psql(server.database, "SELECT count(*) FROM \"ktCustomer\"");
        run = copy();
        QCOMPARE(run.code, 1);
        QVERIFY2(run.text().contains(QLatin1String("empty database")), qPrintable(run.text()));
        const QString another = folder.file(QStringLiteral("another"));
        run = runKorvina({"--data", another, "--database", server.url, "--init"});
        QCOMPARE(run.code, 1);
        QVERIFY(!QFileInfo::exists(another));
        QVERIFY2(!run.text().contains(PgTestServer::password()) && run.text().contains(QLatin1String("empty database")),
                 qPrintable(run.text()));
        QCOMPARE(m_server.psql(server.database, "SELECT count(*) FROM \"ktCustomer\""), customers);
    }

    // Desk A starts, archives the server's database and edits a customer that desk B saves
    // meanwhile; its later saves go through a restart of the server and wait out its absence.
    void twoDesksOnOneDatabase()
    {
        const std::unique_ptr<Desk> deskA = demoDesk();
        QVERIFY(deskA);
        QTemporaryDir deskB;
        QDir(deskB.path()).mkpath(QStringLiteral("Docs"));

        // Desk A starts first and writes the day's archive of the server's database.
        Application app;
        ScriptedMessages messages;
        KKMain* main = startDesk(app, deskA->path(), deskA->url);
        QVERIFY(main);
        QCOMPARE(messages.shown, QStringList());
        const QString archive = QStringLiteral("/Arch/Ko%1.dump").arg(state().clock.today().addDays(-1).toString("yyMMdd"));
        const QByteArray sealed = fileContents(deskA->path() + archive);
        QVERIFY2(!sealed.isEmpty() && !sealed.contains("PGDMP") && !sealed.contains("kaUser"), "the archive is sealed");

        // Desk A shows the newest customer for editing; meanwhile desk B changes and saves it.
        RecordScreen* screen = editNewestCustomer(main, QStringLiteral("Desk A"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVINA_TEST_DESK"), deskB.path() + QLatin1Char('\n') + deskA->url);
        const ProcessRun deskBRun = runProcess(QCoreApplication::applicationFilePath(), {}, env);
        QVERIFY2(deskBRun.code == 0, qPrintable(deskBRun.text()));
        QCOMPARE(newestRemarks(*deskA), QStringLiteral("Desk B"));
        // Desk B found the archive done: it wrote none, and never said the database was in use.
        QVERIFY(!QFileInfo::exists(deskB.path() + archive));
        QVERIFY2(!deskBRun.text().contains(QLatin1String("In-Use")), qPrintable(deskBRun.text()));

        // Desk A's save over desk B's change asks; reloaded, the screen shows desk B's change.
        const QString conflict = QStringLiteral("Changed by another user; your changes are kept on screen: reload or overwrite?");
        messages.answers = {true}; // Reload
        main->toolbarAction(5)->trigger(); // Save
        QCOMPARE(messages.shown, QStringList{conflict});
        QCOMPARE(newestRemarks(*deskA), QStringLiteral("Desk B"));
        QCOMPARE(screen->text(20), QStringLiteral("Desk B")); // the screen shows what is stored now
        messages.clear();

        // Edited again over what is stored now, the save goes through a restart of the server unnoticed.
        editNewestCustomer(main, QStringLiteral("After a restart"));
        QVERIFY2(m_server.restart(), qPrintable(m_server.why()));
        main->toolbarAction(5)->trigger();
        QCOMPARE(messages.shown, QStringList());
        QCOMPARE(newestRemarks(*deskA), QStringLiteral("After a restart"));

        // With the server away, one message, and the edit stays to be saved again.
        editNewestCustomer(main, QStringLiteral("Saved at last"));
        QVERIFY2(m_server.halt(), qPrintable(m_server.why()));
        main->toolbarAction(5)->trigger();
        const bool resumed = m_server.resume();
        QCOMPARE(messages.shown, QStringList{QStringLiteral("The database server cannot be reached; your changes are kept on "
                                                            "screen. Save again when it is back.")});
        QVERIFY(screen->isEditing());
        QCOMPARE(screen->text(20), QStringLiteral("Saved at last"));
        QVERIFY2(resumed, qPrintable(m_server.why()));
        main->toolbarAction(5)->trigger();
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(newestRemarks(*deskA), QStringLiteral("Saved at last"));
        QVERIFY(!screen->isEditing());
    }

    void sealedArchiveRestores_data()
    {
        QTest::addColumn<int>("damage"); // bytes cut from the end (a changed byte: platform.tst_databasefile)
        QTest::addColumn<int>("code");
        QTest::newRow("whole") << 0 << 0;
        QTest::newRow("cut short") << 100 << int(ExitCode::RestoreFailed);
    }
    void sealedArchiveRestores()
    {
        QFETCH(int, damage);
        const std::unique_ptr<Desk> desk = demoDesk();
        QVERIFY(desk);
        const QString archive = desk->path() + QStringLiteral("/Arch/Ko240304.dump");
        {
            DeskState deskState(desk->path(), desk->url);
            QCOMPARE(ServerArchive::run(desk->url, archive), ServerArchive::Outcome::Written);
        }
        QVERIFY(writeFile(archive, fileContents(archive).chopped(damage)));

        const Desk target(m_server);
        const ProcessRun run = runKorvina({"--restore-archive", archive, "--database", target.url});
        QFETCH(int, code);
        QVERIFY2(run.code == code, qPrintable(run.text()));
        QVERIFY2(!run.text().contains(PgTestServer::password()), qPrintable(run.text()));
        const QString customers = QStringLiteral("SELECT count(*) FROM \"ktCustomer\"");
        if (run.code == 0)
            QCOMPARE(m_server.psql(target.database, customers), m_server.psql(desk->database, customers));
        else
            QCOMPARE(m_server.psql(target.database, "SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), QStringLiteral("0"));
    }

    void pgDumpNeverHoldsUpTheDesk_data()
    {
        QTest::addColumn<bool>("stall");
        QTest::addColumn<QString>("message");
        // The password written as a parameter of the URL reaches pg_dump too.
        QTest::newRow("password in the query") << false << QString();
        QTest::newRow("stuck pg_dump") << true
                                       << QString("The day's archive copy could not be written: pg_dump did not finish in "
                                                  "time. The start goes on without it.");
    }
    void pgDumpNeverHoldsUpTheDesk()
    {
        QFETCH(bool, stall);
        const Desk desk(m_server);
        QString queryUrl = desk.url;
        queryUrl.replace(QStringLiteral(":") + PgTestServer::password() + QStringLiteral("@"), QStringLiteral("@"));
        queryUrl += QStringLiteral("?password=") + PgTestServer::password();
        qputenv("KORVINA_PG_DUMP", writeCheckingPgDump(desk.path(), stall).toLocal8Bit());
        ServerArchive::setTimeLimit(1500);
        bool ok = false;
        QStringList shown;
        {
            DeskState deskState(desk.path(), queryUrl);
            ScriptedMessages messages;
            ok = Maintenance().run();
            shown = messages.shown;
        }
        qunsetenv("KORVINA_PG_DUMP");
        QVERIFY(ok); // the start goes on
        QTEST(shown.join(QLatin1Char('|')), "message");
        const QStringList archives = QDir(desk.path() + QStringLiteral("/Arch")).entryList(QDir::Files);
        QCOMPARE(archives.size(), stall ? 0 : 1);
        QVERIFY(!alive(pidIn(desk.path() + QStringLiteral("/pid"))));
        if (stall)
            QVERIFY(fileContents(desk.path() + QStringLiteral("/Docs/Korvina.Err")).contains("pg_dump did not finish"));
    }

    // A running desk, its archive copy under way: its command line, as the process list shows it,
    // carries no password, it never dumps core, and killed it leaves no pg_dump behind.
    void runningDesk()
    {
        const Desk desk(m_server);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVINA_PG_DUMP"), writeCheckingPgDump(desk.path(), true));
        QProcess running;
        running.setProcessEnvironment(env);
        running.start(korvinaBinary(), {"--data", desk.path(), "--database", desk.url});
        QVERIFY(running.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(pidIn(desk.path() + QStringLiteral("/pid")) > 0, 60000);
        const qint64 dump = pidIn(desk.path() + QStringLiteral("/pid"));
        QVERIFY(alive(dump));
        const auto proc = [&](const char* file) {
            return fileContents(QStringLiteral("/proc/%1/%2").arg(running.processId()).arg(QLatin1String(file)));
        };
        const QByteArray shown = proc("cmdline");
        QVERIFY2(shown.contains("127.0.0.1") && !shown.contains(PgTestServer::password().toUtf8()), shown.constData());
        QVERIFY2(QString::fromLatin1(proc("limits")).contains(QRegularExpression(QStringLiteral("Max core file size +0 +0"))),
                 "a desk never dumps core");
        running.kill();
        QVERIFY(running.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(!alive(dump), 5000);
    }
    void cleanup() { ServerArchive::setTimeLimit(0); }

private:
    // A desk whose database the program made, with the demo content (null when --init failed or
    // showed the password).
    std::unique_ptr<Desk> demoDesk()
    {
        auto desk = std::make_unique<Desk>(m_server);
        const ProcessRun init = runKorvina({"--data", desk->path(), "--database", desk->url, "--init", "--demo"});
        const bool made = init.code == 0 && !init.text().contains(PgTestServer::password());
        if (!made)
            qWarning("%s", qPrintable(init.text()));
        return made ? std::move(desk) : nullptr;
    }
    QString newestRemarks(const Desk& desk) const
    {
        return m_server.psql(desk.database, "SELECT \"CRemarks\" FROM \"ktCustomer\" ORDER BY \"EId\" DESC LIMIT 1");
    }

    PgTestServer m_server;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The test starts itself once more as the second desk.
    if (qEnvironmentVariableIsSet("KORVINA_TEST_DESK")) {
        const QStringList desk = qEnvironmentVariable("KORVINA_TEST_DESK").split(QLatin1Char('\n'));
        return runOtherDesk(desk.value(0), desk.value(1), QStringLiteral("Desk B"));
    }
    TstServer test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_server.moc"
