#include "StartAsChief.h"
#include "common/TestSupport.h"
#include "shell/DatabaseCreator.h"

#include "app/Application.h"
#include "base/ModuleCatalogue.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/ProgramState.h"
#include "reports/KKReport.h"
#include "shell/KKMain.h"
#include "utilities/KKImport.h"
#include "utilities/SheetFiles.h"
#include "utilities/TableBrowser.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

namespace {
// The whole program started on a DataFolder as a user would, on the first day of 2025.
struct Started {
    explicit Started(TestDataFolder::Options options = {.content = DemoData::fill, .open = false, .login = false})
        : folder(options)
    {
        state().clock.setFixed(QDateTime(QDate(2025, 1, 1), QTime(8, 0)));
        state().DataFolder = folder.path();
        main = startAsChief(app);
    }
    TestDataFolder folder;
    Application app; // its program state takes over from the folder's
    ScriptedMessages messages;
    KKMain* main = nullptr;
};

// The caption of the next report screen and what it shows in its boxes; it is closed.
void whenReportShows(QStringList& seen)
{
    onModal<KKReport>([&seen](KKReport* screen) {
        seen << screen->windowTitle() << screen->findChild<QComboBox*>("cmbOperator")->currentText()
             << screen->findChild<QLineEdit*>("txtReport1")->text() << screen->findChild<QLabel*>("lblList")->text();
        screen->reject();
    });
}
}

// The whole program, as a user meets it.
class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void startUpOnAFreshDemoFolder()
    {
        Started s;
        QVERIFY(s.main);
        QVERIFY(s.messages.shown.isEmpty());
        // The folder had no report layouts, and the start put them in (the day's archive:
        // shell.tst_program and shell.tst_maintenance).
        QCOMPARE(QDir(s.folder.file("Bin")).entryList({"KV*.Krp"}).size(), 13);
        QCOMPARE((QStringList{s.main->statusText(2), s.main->statusText(3), s.main->enterpriseNameBox()->text()}),
                 (QStringList{"User:Chief", "Korvina", "Korvina"}));
        QVERIFY(!s.main->operationAction(1)->isEnabled());
        QVERIFY(s.main->operationAction(17)->isEnabled());
    }

    // The report screen is reached from the Report menu and from the Report operation of an
    // open record module (the Transaction menu closed meanwhile), which hands it the record's
    // customer type.
    void reportScreenFromMenuAndOperation()
    {
        Started s;
        QVERIFY(s.main);
        QStringList menu, operation;
        whenReportShows(menu);
        s.main->menuEntry("Report", 14)->trigger();
        QCOMPARE(menu.mid(0, 3), (QStringList{"Type Summary", "Like", ""}));

        s.main->menuEntry("Transaction", 1)->trigger(); // Customers
        RecordScreen* customers = Engine::activeScreen();
        QVERIFY(customers);
        QVERIFY(!s.main->menu("Transaction")->isEnabled()); // while a module is open
        whenReportShows(operation);
        s.main->toolbarAction(14)->trigger(); // Report
        QVERIFY(!customers->listLabel(18)->text().isEmpty());
        QCOMPARE(operation, (QStringList{"Address List", "=", customers->text(18), customers->listLabel(18)->text()}));
        s.main->toolbarAction(17)->trigger(); // Exit
        QCoreApplication::processEvents();
        QVERIFY(s.main->menu("Transaction")->isEnabled());
    }

    // A completed import ends the program the way Quit does (what it stored, said and removed:
    // utilities.tst_import).
    void importEndsTheProgram()
    {
        Started s({.content = {}, .open = false, .login = false});
        QVERIFY(s.main);
        const QString book = s.folder.file("Docs/new.xlsx");
        QVERIFY(SheetFiles::writeXlsx(book, {{"Sheet1", {{"CFirst", "CLast"}, {"Ann", "Lee"}, {"Bob", "Kay"}}}}));
        bool imported = false;
        onModal<KKImport>([&](KKImport* screen) {
            screen->fileBox()->setText(book);
            screen->listWorksheet();
            screen->browser().SelectAllFields();
            screen->importRecords();
            imported = screen->endsProgram();
        });
        s.main->menuEntry("Transaction", 12)->trigger();
        QVERIFY(imported);
        QVERIFY(!s.main->isVisible());
        QVERIFY(!state().connection->isOpen());
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
