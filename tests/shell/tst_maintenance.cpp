// Start-up maintenance and the splash screen: the daily compaction and archive copy, the
// repair of an interrupted compaction, and the refusal while another copy holds the database.
#include "common/TestSupport.h"
#include "platform/Clock.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "shell/ArchiveNames.h"
#include "shell/KKStart.h"
#include "shell/Maintenance.h"
#include "shell/Program.h"
#include "shell/ProgramEnd.h"
#include "shell/ProgramState.h"
#include "shell/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <cstdlib>

namespace {
// The test program doubles as "another copy of the program": started again with
// KORVINA_TEST_CHILD=<mode>:<folder> it opens that folder's database and
//  hold:  says "ready", keeps the database open until its standard input closes;
//  crash: writes one row, says "done" and dies without closing anything.
void runAsOtherCopyIfAsked()
{
    const QByteArray order = qgetenv("KORVINA_TEST_CHILD");
    if (order.isEmpty())
        return;
    const int colon = order.indexOf(':');
    const QByteArray mode = order.left(colon);
    ProgramState::reset();
    state().DataFolder = QString::fromLocal8Bit(order.mid(colon + 1));
    InitProgramState();
    try {
        state().connection->open();
        if (mode == "crash") {
            state().connection->execute(QStringLiteral(
                "INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES ('2024-03-04', 'Walk-in', 'Last words')"));
            std::fputs("done\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        }
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        state().connection->close();
    } catch (const std::exception& e) {
        std::fprintf(stdout, "failed %s\n", e.what());
        std::fflush(stdout);
        std::_Exit(2);
    }
    std::_Exit(0);
}

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Row counts of every table, read through the program's connection.
QMap<QString, int> rowCounts(const TestDataFolder& folder)
{
    QMap<QString, int> counts;
    for (const SchemaTable& t : Schema::tables())
        counts[t.name] = folder.count(t.name);
    return counts;
}

QStringList kmCustTypeRemarks(const TestDataFolder& folder)
{
    Recordset r;
    r.open(QStringLiteral("Select CRemarks From kmCustType"), *state().connection, CursorType::Static,
           LockType::ReadOnly);
    QStringList all;
    for (; !r.eof(); r.moveNext())
        all << r.field(0).text();
    return all;
}

struct Run {
    QStringList steps;
    int dots = 0;
    bool ok = false;
};

Run runMaintenance()
{
    Run run;
    Maintenance::Progress progress;
    progress.step = [&](const QString& s) { run.steps << s; };
    progress.dot = [&] { ++run.dots; };
    run.ok = Maintenance().run(progress);
    return run;
}

const QStringList kAllSteps{QStringLiteral("Verify..."), QStringLiteral("Checks..."), QStringLiteral("Repair..."),
                            QStringLiteral("Compact.."), QStringLiteral("Archive.."), QStringLiteral("Loading..")};
}

class TestMaintenance : public QObject {
    Q_OBJECT
public:
    TestMaintenance() { runAsOtherCopyIfAsked(); }

private:
    QList<int> m_ends;

    // A child copy of the program on the current DataFolder.
    QProcess* startOtherCopy(const char* mode)
    {
        auto* p = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVINA_TEST_CHILD"), QLatin1String(mode) + QLatin1Char(':') + state().DataFolder);
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(), {});
        return p;
    }

private slots:
    void init()
    {
        m_ends.clear();
        ProgramEnd::setHandler([this](int code) { m_ends << code; });
    }
    void cleanup()
    {
        ProgramEnd::setHandler({});
        Clock::setFixed(QDateTime());
    }

    void firstStartOfTheDayCompactsAndArchives()
    {
        ScriptedMessages messages;
        TestDataFolder folder(TestDataFolder::Options{.demo = true, .open = true, .login = false});
        const QMap<QString, int> before = rowCounts(folder);
        QVERIFY(before.value(QStringLiteral("ktCustomer")) > 0);
        state().connection->close();
        QDir(folder.file(QStringLiteral("Arch"))).removeRecursively();

        Clock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(9, 30)));
        const QString archive = folder.file(QStringLiteral("Arch/Ko240304.Kys"));
        QCOMPARE(ArchiveNames::archivePath(QDate(2024, 3, 4)), archive);

        Run run = runMaintenance();
        QVERIFY(run.ok);
        QCOMPARE(run.steps, kAllSteps);
        QCOMPARE(run.dots, 5 * 3 + 4); // three per step, four for loading
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(m_ends.isEmpty());
        QVERIFY(QFile::exists(archive));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("Korvina.Cpt"))));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("Korvina.Ldb"))));
        QCOMPARE(digest(archive), digest(folder.databasePath()));
        // Every row survived.
        state().connection->open();
        QCOMPARE(rowCounts(folder), before);
        state().connection->close();

        // A second start on the same day leaves the file alone.
        const QByteArray compacted = digest(folder.databasePath());
        Clock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(23, 59)));
        run = runMaintenance();
        QVERIFY(run.ok);
        QCOMPARE(run.steps, (QStringList{QStringLiteral("Verify..."), QStringLiteral("Loading..")}));
        QCOMPARE(run.dots, 7);
        QCOMPARE(digest(folder.databasePath()), compacted);

        // On New Year's Day the copy is named for the last day of the old year.
        Clock::setFixed(QDateTime(QDate(2025, 1, 1), QTime(0, 5)));
        run = runMaintenance();
        QVERIFY(run.ok);
        QCOMPARE(run.steps, kAllSteps);
        QVERIFY(QFile::exists(folder.file(QStringLiteral("Arch/Ko241231.Kys"))));
        QVERIFY(messages.shown.isEmpty());
    }

    void crashedCopyLeavesStaleLockAndLog()
    {
        ScriptedMessages messages;
        TestDataFolder folder(TestDataFolder::Options{.demo = false, .open = false, .login = false});
        Clock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(8, 0)));

        // Another copy writes one row and dies without closing the database.
        QProcess* other = startOtherCopy("crash");
        QVERIFY(other->waitForFinished(30000));
        QCOMPARE(other->readAllStandardOutput().trimmed(), QByteArray("done"));
        QVERIFY2(QFile::exists(folder.file(QStringLiteral("Korvina.Ldb"))), "the dead copy's lock file stays");
        QVERIFY2(QFileInfo(folder.databasePath() + QStringLiteral("-wal")).size() > 0,
                 "the last row is still in the write-ahead log");

        const Run run = runMaintenance();
        QVERIFY(run.ok);
        QCOMPARE(run.steps, kAllSteps);
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(m_ends.isEmpty());
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("Korvina.Ldb"))));
        QVERIFY(!QFile::exists(folder.databasePath() + QStringLiteral("-wal")));

        state().connection->open();
        QVERIFY(kmCustTypeRemarks(folder).contains(QStringLiteral("Last words")));
        state().connection->close();
        // The archive copy has the row too.
        QVERIFY(QFile::exists(folder.file(QStringLiteral("Arch/Ko240304.Kys"))));
    }

    void databaseHeldByAnotherCopy()
    {
        ScriptedMessages messages;
        TestDataFolder folder(TestDataFolder::Options{.demo = false, .open = false, .login = false});
        Clock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(8, 0)));

        QProcess* other = startOtherCopy("hold");
        QVERIFY(other->waitForReadyRead(30000));
        QCOMPARE(other->readLine().trimmed(), QByteArray("ready"));
        const QByteArray before = digest(folder.databasePath());

        Run run = runMaintenance();
        QVERIFY(!run.ok);
        QCOMPARE(messages.shown, QStringList{QStringLiteral("Application In-Use, Try Later!")});
        QCOMPARE(m_ends, QList<int>{1});
        QCOMPARE(run.steps.last(), QStringLiteral("Checks...")); // nothing after the failing step ran
        QCOMPARE(digest(folder.databasePath()), before);
        QVERIFY(QFile::exists(folder.file(QStringLiteral("Korvina.Ldb"))));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("Korvina.Cpt"))));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("Arch/Ko240304.Kys"))));

        // Through the splash screen: the screen closes without success.
        messages.clear();
        m_ends.clear();
        {
            KKStart start;
            start.setTimerInterval(10);
            QCOMPARE(start.exec(), int(QDialog::Rejected));
            QVERIFY(!start.maintenanceSucceeded());
            QCOMPARE(messages.shown, QStringList{QStringLiteral("Application In-Use, Try Later!")});
            QCOMPARE(m_ends, QList<int>{1});
        }

        // Once the other copy has gone, the next start goes through.
        other->closeWriteChannel();
        QVERIFY(other->waitForFinished(30000));
        QCOMPARE(other->exitCode(), 0);
        messages.clear();
        m_ends.clear();
        run = runMaintenance();
        QVERIFY(run.ok);
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(QFile::exists(folder.file(QStringLiteral("Arch/Ko240304.Kys"))));
    }

    void compactedCopyLeftBehind()
    {
        ScriptedMessages messages;
        TestDataFolder folder(TestDataFolder::Options{.demo = true, .open = true, .login = false});
        const QMap<QString, int> before = rowCounts(folder);
        state().connection->close();
        Clock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(8, 0)));
        const QString compacted = folder.file(QStringLiteral("Korvina.Cpt"));

        // Beside an intact database the copy blocks the compaction, every day, and nothing is lost.
        QVERIFY(QFile::copy(folder.databasePath(), compacted));
        const QByteArray original = digest(folder.databasePath());
        Run run = runMaintenance();
        QVERIFY(!run.ok);
        QCOMPARE(run.steps.last(), QStringLiteral("Compact.."));
        QCOMPARE(messages.shown, QStringList{QStringLiteral("Application In-Use, Try Later!")});
        QCOMPARE(m_ends, QList<int>{1});
        QCOMPARE(digest(folder.databasePath()), original);
        QVERIFY(QFile::exists(compacted));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("Arch/Ko240304.Kys"))));

        // A compaction that stopped after deleting the database, while the deleted file's
        // write-ahead log still lay beside it: the copy takes its place as it is (the old log
        // must not be replayed into it) and is compacted as usual.
        QProcess* other = startOtherCopy("crash");
        QVERIFY(other->waitForFinished(30000));
        QCOMPARE(other->readAllStandardOutput().trimmed(), QByteArray("done"));
        QVERIFY(QFileInfo(folder.databasePath() + QStringLiteral("-wal")).size() > 0);
        QVERIFY(QFile::remove(folder.databasePath()));
        messages.clear();
        run = runMaintenance();
        QVERIFY(run.ok);
        QCOMPARE(run.steps, kAllSteps);
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(!QFile::exists(compacted));
        QVERIFY(!QFile::exists(folder.databasePath() + QStringLiteral("-wal")));
        QVERIFY(QFile::exists(folder.file(QStringLiteral("Arch/Ko240304.Kys"))));
        state().connection->open();
        QCOMPARE(rowCounts(folder), before);
        QVERIFY(!kmCustTypeRemarks(folder).contains(QStringLiteral("Last words")));
        state().connection->close();
    }

    void splashScreen()
    {
        ScriptedMessages messages;
        TestDataFolder folder(TestDataFolder::Options{.demo = false, .open = false, .login = false});
        Clock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(8, 0)));

        KKStart start;
        QCOMPARE(start.timerInterval(), 5000);
        auto* label4 = start.findChild<QLabel*>(QStringLiteral("Label4"));
        auto* label5 = start.findChild<QLabel*>(QStringLiteral("Label5"));
        start.show();
        QVERIFY(QTest::qWaitForWindowExposed(&start));
        QVERIFY(label4->isHidden() && label5->isHidden());
        // Esc cannot interrupt the start.
        QTest::keyClick(&start, Qt::Key_Escape);
        start.close();
        QVERIFY(start.isVisible());

        start.setTimerInterval(20);
        QCOMPARE(start.exec(), int(QDialog::Accepted));
        QVERIFY(start.maintenanceSucceeded());
        QCOMPARE(label5->text(), QStringLiteral("Loading.."));
        QCOMPARE(label4->text(), QStringLiteral(".") + QString(19, QLatin1Char('.')));
        QVERIFY(QFile::exists(folder.file(QStringLiteral("Arch/Ko240304.Kys"))));
        QVERIFY(m_ends.isEmpty());

        // The About box: no maintenance, Esc closes it.
        KKStart about;
        about.setAboutMode(QStringLiteral("Korvina"), QStringLiteral("8.0.14"));
        QVERIFY(!about.isTimerEnabled());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("Label5"))->text(), QStringLiteral("Korvina"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("Label6"))->toolTip(), QStringLiteral("ESC-Exit:Rev-8.0.14"));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
