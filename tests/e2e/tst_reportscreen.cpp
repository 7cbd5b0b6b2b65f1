// The report screen in the whole program: reached from the Report menu and from the Report
// operation of an open record module.

#include "common/TestSupport.h"
#include "shell/DatabaseCreator.h"

#include "app/Application.h"
#include "base/ProgramState.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "reports/KKReport.h"
#include "shell/KKLogin.h"
#include "shell/KKMain.h"
#include "shell/KKStart.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

namespace {
// What the report screen showed when it opened.
struct Seen {
    bool shown = false;
    QString caption, op, value, typeName;
};

// Records the next report screen and closes it.
void whenReportShows(Seen& seen)
{
    onNextModal([&seen](QWidget* w) {
        auto* screen = qobject_cast<KKReport*>(w);
        if (!screen)
            return;
        seen.shown = true;
        seen.caption = screen->windowTitle();
        seen.op = screen->findChild<QComboBox*>("cmbOperator")->currentText();
        seen.value = screen->findChild<QLineEdit*>("txtReport1")->text();
        seen.typeName = screen->findChild<QLabel*>("lblList")->text();
        screen->reject();
    });
}
}

class ReportScreenTest : public QObject {
    Q_OBJECT

private slots:
    void menuAndReportOperation()
    {
        TestDataFolder folder({.content = DemoData::fill, .open = false, .login = false});
        const QString dataFolder = folder.path();
        Application app;
        ScriptedMessages messages;
        state().DataFolder = dataFolder;
        onNextModal([](QWidget* w) {
            if (auto* splash = qobject_cast<KKStart*>(w))
                splash->setTimerInterval(1);
        });
        QTimer login;
        login.setInterval(5);
        connect(&login, &QTimer::timeout, [&login] {
            if (auto* l = qobject_cast<KKLogin*>(QApplication::activeModalWidget())) {
                login.stop();
                l->loginField()->setText("chief");
                l->passwordField()->setText("korvina");
                l->checkLogin();
            }
        });
        login.start();
        KKMain* main = app.start();
        QVERIFY(main);
        // The folder had no layouts: the start put them in.
        QCOMPARE(QDir(dataFolder + "/Bin").entryList({"KV*.Krp"}).size(), 13);

        Seen menu;
        whenReportShows(menu);
        main->menuEntry("Report", 14)->trigger();
        QVERIFY(menu.shown);
        QCOMPARE(menu.caption, QString("Type Summary"));
        QCOMPARE(menu.op, QString("Like"));
        QVERIFY(menu.value.isEmpty());

        main->menuEntry("Transaction", 1)->trigger(); // Customers
        RecordScreen* customers = Engine::activeScreen();
        QVERIFY(customers);
        Seen operation;
        whenReportShows(operation);
        main->toolbarAction(14)->trigger(); // Report
        QVERIFY(operation.shown);
        QCOMPARE(operation.caption, QString("Address List"));
        QCOMPARE(operation.value, customers->text(18));
        QCOMPARE(operation.typeName, customers->listLabel(18)->text());
        QVERIFY(!operation.typeName.isEmpty());
        main->toolbarAction(17)->trigger(); // Exit
        QCoreApplication::processEvents();

        main->menuEntry("Master", 1)->trigger(); // Customer Type: no report of its own
        main->toolbarAction(14)->trigger();
        QCOMPARE(messages.shown, QStringList{"No Report!"});
        main->toolbarAction(17)->trigger();
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(ReportScreenTest)
#include "tst_reportscreen.moc"
