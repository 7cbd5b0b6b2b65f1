#include "common/TestSupport.h"

#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "shell/InstallPaths.h"
#include "shell/KKFirstStart.h"
#include "shell/Program.h"
#include "shell/ProgramState.h"

#include <QCommandLinkButton>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QtTest>

namespace {
QByteArray digest(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
}

// Customers in the database of `folder`, or -1 when it cannot be read.
int customers(const QString& folder)
{
    ProgramState::reset();
    state().DataFolder = folder;
    InitProgramState();
    Connection& c = *state().connection;
    int n = -1;
    Guard([&] {
        c.open();
        Recordset r;
        r.open(QStringLiteral("Select Count(*) From ktCustomer"), c, CursorType::Static, LockType::ReadOnly);
        n = r.field(0).text().toInt();
        r.close();
    });
    if (c.isOpen())
        c.close();
    return n;
}
}

// Where the data lives, and the window that creates the first database.
class FirstStartTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_xdg;

    QString path(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    // Runs the first-start window on `folder` and lets `act` answer it; returns exec()'s result.
    int runWindow(KKFirstStart& window, std::function<void(KKFirstStart&)> act)
    {
        bool shown = false;
        onNextModal([&](QWidget* w) {
            shown = w == &window;
            act(window);
            if (window.isVisible())
                window.reject();
        });
        const int result = window.exec();
        if (!shown)
            qWarning("the first-start window never showed");
        return shown ? result : -1;
    }

private slots:
    void init()
    {
        m_xdg = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", path("xdg").toLocal8Bit());
    }
    void cleanup()
    {
        if (m_xdg.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_xdg);
        Messages::install(nullptr);
        ProgramState::reset();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void dataFolderChoice_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("portable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("user folder") << "" << false << "xdg/Korvina";
        QTest::newRow("portable copy beside the program") << "" << true << "program";
        QTest::newRow("--data over a portable copy") << "elsewhere/office" << true << "elsewhere/office";
        QTest::newRow("--data over the user folder") << "elsewhere/./office/" << false << "elsewhere/office";
    }
    void dataFolderChoice()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, portable);
        QFETCH(QString, expected);
        QDir().mkpath(path("program"));
        if (portable)
            touch(path("program/Korvina.Kys"));
        QCOMPARE(InstallPaths::dataFolder(chosen.isEmpty() ? chosen : path(chosen), path("program")), path(expected));
    }

    void userFolderWithoutXdgVariable()
    {
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(InstallPaths::userDataFolder(), QDir::homePath() + "/.local/share/Korvina");
    }

    void resourceFolder_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("expected");
        const QString sources = QDir::cleanPath(qEnvironmentVariable("KORVINA_SOURCE_DIR") + "/resources");
        QTest::newRow("installed") << "prefix/bin" << "prefix/share/korvina";
        QTest::newRow("build tree") << QCoreApplication::applicationDirPath() << sources;
        QTest::newRow("neither") << "loose/bin" << "";
    }
    void resourceFolder()
    {
        QFETCH(QString, programFolder);
        QFETCH(QString, expected);
        touch(path("prefix/share/korvina/Bin/KVKorvina.html"));
        QDir().mkpath(path("prefix/bin"));
        QDir().mkpath(path("loose/bin"));
        const QString folder = QDir::isAbsolutePath(programFolder) ? programFolder : path(programFolder);
        const QString want = expected.isEmpty() || QDir::isAbsolutePath(expected) ? expected : path(expected);
        QCOMPARE(InstallPaths::resourceFolder(folder), want);
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
        QString where;
        QString admin;
        const int result = runWindow(window, [&](KKFirstStart& w) {
            where = w.findChild<QLabel*>("lblFolder")->text();
            admin = w.findChild<QLabel*>("lblAdmin")->text();
            (demo ? w.demoButton() : w.emptyButton())->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(where, folder);
        QVERIFY(admin.contains("Chief") && admin.contains("korvina"));
        QCOMPARE(window.dataFolder(), folder);
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(QFileInfo::exists(folder + "/Bin/KVKorvina.html"));
        const int count = customers(folder);
        QVERIFY2(demo ? count > 0 : count == 0, qPrintable(QString::number(count)));
    }

    void anotherFolderWithADatabaseIsUsedAsItIs()
    {
        ScriptedMessages messages;
        {
            TestDataFolder existing({/*demo*/ true, /*open*/ false, /*login*/ false});
            QDir().rename(existing.path(), path("shared"));
        }
        const QByteArray before = digest(path("shared/Korvina.Kys"));
        KKFirstStart window(path("xdg/Korvina"));
        window.setFolderChooser([&](QWidget*, const QString& current) {
            return current == path("xdg/Korvina") ? path("shared") : QString();
        });
        QCOMPARE(runWindow(window, [](KKFirstStart& w) { w.folderButton()->click(); }), int(QDialog::Accepted));
        QCOMPARE(window.dataFolder(), path("shared"));
        QCOMPARE(digest(path("shared/Korvina.Kys")), before);
        QVERIFY(!QFileInfo::exists(path("xdg/Korvina")));
    }

    void anotherEmptyFolderGetsTheNewDatabase()
    {
        ScriptedMessages messages;
        KKFirstStart window(path("xdg/Korvina"));
        int asked = 0;
        window.setFolderChooser([&](QWidget*, const QString&) {
            return ++asked == 1 ? QString() : path("office"); // the first time the user cancels
        });
        QString shownAfterCancel;
        QString shownAfterChoice;
        const int result = runWindow(window, [&](KKFirstStart& w) {
            w.folderButton()->click();
            shownAfterCancel = w.findChild<QLabel*>("lblFolder")->text();
            w.folderButton()->click();
            shownAfterChoice = w.findChild<QLabel*>("lblFolder")->text();
            QVERIFY(w.isVisible()); // an empty folder needs a choice of content first
            w.emptyButton()->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(shownAfterCancel, path("xdg/Korvina"));
        QCOMPARE(shownAfterChoice, path("office"));
        QCOMPARE(window.dataFolder(), path("office"));
        QVERIFY(QFileInfo::exists(path("office/Korvina.Kys")));
        QVERIFY(!QFileInfo::exists(path("xdg/Korvina")));
    }

    void failedCreationKeepsTheWindowAndOverwritesNothing_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("database appeared meanwhile") << "office" << "already exists";
        QTest::newRow("folder cannot be made") << "file/office" << "Cannot create";
    }
    void failedCreationKeepsTheWindowAndOverwritesNothing()
    {
        QFETCH(QString, folder);
        QFETCH(QString, message);
        ScriptedMessages messages;
        KKFirstStart window(path(folder));
        touch(path("file"));
        bool stillOpen = false;
        const int result = runWindow(window, [&](KKFirstStart& w) {
            if (folder == "office") {
                QDir().mkpath(path("office"));
                QFile f(path("office/Korvina.Kys"));
                f.open(QIODevice::WriteOnly);
                f.write("another copy's database");
            }
            w.demoButton()->click();
            stillOpen = w.isVisible();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(stillOpen);
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown.first().contains(message), qPrintable(messages.shown.first()));
        if (folder == "office") {
            QFile f(path("office/Korvina.Kys"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("another copy's database"));
        }
    }
};

QTEST_MAIN(FirstStartTest)
#include "tst_firststart.moc"
