#include "StartAsChief.h"
#include "common/TestSupport.h"
#include "shell/DatabaseCreator.h"

#include "app/Application.h"
#include "base/ModuleCatalogue.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/ProgramState.h"
#include "shell/KKLogin.h"
#include "shell/KKMain.h"
#include "shell/KKStart.h"
#include "base/Program.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QTimer>
#include <QtTest>

namespace {

QString label(QWidget* main, const QString& name)
{
    auto* l = main->findChild<QLabel*>(name);
    return l ? l->text() : QString("<missing %1>").arg(name);
}
}

// The whole program, as a user meets it.
class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void startUpOnAFreshDemoFolder()
    {
        TestDataFolder folder({.content = DemoData::fill, .open = false, .login = false});
        const QString dataFolder = folder.path();
        Application app; // its program state takes over from the folder's
        ScriptedMessages messages;
        state().clock.setFixed(QDateTime(QDate(2025, 1, 1), QTime(8, 0)));
        state().DataFolder = dataFolder;
        KKMain* main = startAsChief(app, "KORVINA");
        QVERIFY(main);
        QVERIFY(messages.shown.isEmpty());

        // The daily maintenance archived the database under yesterday's name.
        QVERIFY(QFileInfo::exists(dataFolder + "/Arch/Ko241231.Kys"));
        QCOMPARE(main->statusText(2), QString("User:Chief"));
        QCOMPARE(main->statusText(3), QString("Korvina"));
        QCOMPARE(main->enterpriseNameBox()->text(), QString("Korvina"));
        QVERIFY(label(main, "lblDetl_11") != "."); // newest customer's id
        QVERIFY(label(main, "lblDetl_44") != "."); // newest survey's count
        QVERIFY(!main->operationAction(1)->isEnabled());
        QVERIFY(main->operationAction(17)->isEnabled());
    }

    void addACustomerThroughTheMainWindow()
    {
        TestDataFolder folder({.content = DemoData::fill});
        ScriptedMessages messages;
        KKMain main;
        RecordEngine engine(main.workspace());
        main.show();
        const int before = folder.count("ktCustomer");

        main.menuEntry("Transaction", 1)->trigger();
        RecordScreen* screen = Engine::activeScreen();
        QVERIFY(screen);
        QCOMPARE(screen->objectName(), QString("KKCustomer"));
        QVERIFY(main.toolbarAction(1)->isEnabled());
        QVERIFY(!main.menu("Transaction")->isEnabled());

        main.toolbarAction(1)->trigger(); // Add
        QVERIFY(main.toolbarAction(5)->isEnabled());
        const QStringList values{"Dr", "Imogen", "Fairweather", "Fairweather & Co", "12 Quay Road", "Unit 3",
                                 "Cork", "Munster", "Ireland", "T12 X7Y", "021 400 1", "021 400 2", "087 400 3",
                                 "021 400 4", "imogen@example.ie", "www.example.ie"};
        for (int i = 0; i < values.size(); ++i)
            screen->setText(i + 2, values.at(i));
        screen->setText(18, folder.scalar("Select Min(EId) From kmCustType"));
        screen->setText(19, "Y");
        screen->setText(20, "Met at the fair");
        main.toolbarAction(5)->trigger(); // Save
        QCOMPARE(messages.shown, QStringList{"Confirm Add?"});
        const QString id = screen->text(0);
        main.toolbarAction(17)->trigger(); // Exit
        QCoreApplication::processEvents();
        QVERIFY(!state().ActiveForm);
        QVERIFY(main.menu("Transaction")->isEnabled());

        QCOMPARE(folder.count("ktCustomer"), before + 1);
        QCOMPARE(folder.scalar("Select CLast From ktCustomer Where EId= " + id), QString("Fairweather"));
        QCOMPARE(label(&main, "lblDetl_11"), id);
        QCOMPARE(label(&main, "lblDetl_14"), QString("Imogen"));
        state().moduleHost = nullptr;
    }

    // Every module behaviour the folders register belongs to a module the catalogue describes,
    // and the program links every one of them.
    void extrasBelongToCatalogueModules()
    {
        const auto& extras = ModuleExtras::all();
        for (ModuleId id : extras.keys())
            QVERIFY2(ModuleCatalogue::find(id), qPrintable(QString::number(int(id))));
        for (ModuleId linked : {ModuleId::Customize, ModuleId::Lead, ModuleId::EmailSurvey}) // one of each folder
            QVERIFY2(extras.contains(linked), qPrintable(QString::number(int(linked))));
    }
};

QTEST_MAIN(ProgramTest)
#include "tst_program.moc"
