#include "common/TestSupport.h"

#include "base/Program.h"
#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "base/InstallPaths.h"
#include "shell/KKFirstStart.h"

#include <QCommandLinkButton>
#include <QDir>
#include <QLabel>
#include <QtTest>

// Where the data lives, and the window that creates the first database.
class FirstStartTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ProgramState> m_state;

    QString path(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    void write(const QString& relative, const QByteArray& content) { QVERIFY(writeFile(path(relative), content)); }

    // Shows the window modally and lets `act` answer it; returns exec()'s result.
    static int answer(KKFirstStart& window, const std::function<void(KKFirstStart&)>& act)
    {
        onNextModal([&](QWidget*) {
            act(window);
            if (window.isVisible())
                window.reject();
        });
        return window.exec();
    }

    static QString shownFolder(const KKFirstStart& window) { return window.findChild<QLabel*>("lblFolder")->text(); }

    static int customers(const QString& folder)
    {
        ProgramState reader; // the program's state while it lives
        state().DataFolder = folder;
        InitProgramState();
        state().connection->open();
        Recordset r;
        r.open("Select Count(*) From ktCustomer", *state().connection, CursorType::Static, LockType::ReadOnly);
        return r.field(0).text().toInt(); // the reader closes the connection as it goes
    }

private slots:
    void init()
    {
        m_state = std::make_unique<ProgramState>();
        qputenv("XDG_DATA_HOME", path("xdg").toLocal8Bit());
    }
    void cleanup()
    {
        qunsetenv("XDG_DATA_HOME");
        m_state.reset();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    // --data wins over a portable copy beside the program, its path made clean (the program
    // without --data, portable or not, is e2e.tst_installation's installedProgramFindsItsDataFolder).
    // A program in the build tree (as this test is) takes the sources' resources (an installed one
    // takes its share folder or refuses: e2e.tst_installation's installedProgramUsesInstalledResources).
    void dataAndResourceFolders()
    {
        write("program/Korvina.Kys", {});
        QCOMPARE(InstallPaths::dataFolder(path("elsewhere/./office/"), path("program")), path("elsewhere/office"));
        QCOMPARE(InstallPaths::resourceFolder(QCoreApplication::applicationDirPath()),
                 QDir::cleanPath(qEnvironmentVariable("KORVINA_SOURCE_DIR") + "/resources"));
    }

    void createsTheChosenDatabase_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::newRow("empty") << false;
        QTest::newRow("demo content") << true;
    }
    void createsTheChosenDatabase()
    {
        QFETCH(bool, demo);
        ScriptedMessages messages;
        const QString folder = path("xdg/Korvina");
        KKFirstStart window(folder);
        QString admin;
        const int result = answer(window, [&](KKFirstStart& w) {
            admin = w.findChild<QLabel*>("lblAdmin")->text();
            (demo ? w.demoButton() : w.emptyButton())->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(shownFolder(window), folder);
        QVERIFY(admin.contains("Chief") && admin.contains("korvina"));
        QCOMPARE(window.dataFolder(), folder);
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(QFileInfo::exists(folder + "/Bin/KVKorvina.html"));
        QCOMPARE(customers(folder) > 0, demo);
    }

    void anotherFolderWithADatabaseIsUsedAsItIs()
    {
        ScriptedMessages messages;
        write("shared/Korvina.Kys", "a database kept elsewhere");
        KKFirstStart window(path("xdg/Korvina"));
        window.setFolderChooser([&](QWidget*, const QString& current) {
            return current == path("xdg/Korvina") ? path("shared") : QString();
        });
        QCOMPARE(answer(window, [](KKFirstStart& w) { w.folderButton()->click(); }), int(QDialog::Accepted));
        QCOMPARE(window.dataFolder(), path("shared"));
        QCOMPARE(fileContents(path("shared/Korvina.Kys")), QByteArray("a database kept elsewhere"));
        QVERIFY(!QFileInfo::exists(path("xdg/Korvina")));
    }

    void anotherEmptyFolderGetsTheNewDatabase()
    {
        ScriptedMessages messages;
        KKFirstStart window(path("xdg/Korvina"));
        int asked = 0;
        window.setFolderChooser([&](QWidget*, const QString&) { return ++asked == 1 ? QString() : path("office"); });
        QStringList shown;
        const int result = answer(window, [&](KKFirstStart& w) {
            w.folderButton()->click(); // cancelled: nothing changes
            shown << shownFolder(w);
            w.folderButton()->click(); // an empty folder: the window waits for a choice of content
            shown << shownFolder(w);
            if (w.isVisible())
                w.emptyButton()->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(shown, QStringList({path("xdg/Korvina"), path("office")}));
        QCOMPARE(window.dataFolder(), path("office"));
        QVERIFY(QFileInfo::exists(path("office/Korvina.Kys")));
        QVERIFY(!QFileInfo::exists(path("xdg/Korvina")));
    }

    void neverOverwritesADatabase()
    {
        ScriptedMessages messages;
        KKFirstStart window(path("office"));
        bool stillOpen = false;
        const int result = answer(window, [&](KKFirstStart& w) {
            write("office/Korvina.Kys", "another copy's database"); // made meanwhile
            w.demoButton()->click();
            stillOpen = w.isVisible();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(stillOpen);
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown.first().contains("already exists"));
        QCOMPARE(fileContents(path("office/Korvina.Kys")), QByteArray("another copy's database"));
    }
};

QTEST_MAIN(FirstStartTest)
#include "tst_firststart.moc"
