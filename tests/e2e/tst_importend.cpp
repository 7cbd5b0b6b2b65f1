#include "StartAsChief.h"
#include "common/TestSupport.h"
#include "utilities/SheetFiles.h"

#include "app/Application.h"
#include "base/ProgramState.h"
#include "shell/KKLogin.h"
#include "shell/KKMain.h"
#include "shell/KKStart.h"
#include "utilities/KKImport.h"
#include "utilities/TableBrowser.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>


// A completed import ends the program the way Quit does, and the next start runs the
// daily maintenance again because yesterday's archive copy is gone.
class ImportEndTest : public QObject {
    Q_OBJECT

private slots:
    void importEndsTheProgram()
    {
        TestDataFolder folder({.content = {}, .open = false, .login = false});
        const QString dataFolder = folder.path();
        const QString book = dataFolder + "/Docs/new.xlsx";
        QVERIFY(SheetFiles::writeXlsx(book, {{"Sheet1", {{"CFirst", "CLast"}, {"Ann", "Lee"}, {"Bob", "Kay"}}}}));
        Application app;
        ScriptedMessages messages;
        state().clock.setFixed(QDateTime(QDate(2025, 1, 1), QTime(8, 0)));
        state().DataFolder = dataFolder;
        KKMain* main = startAsChief(app);
        QVERIFY(main);
        const QString archive = dataFolder + "/Arch/Ko241231.Kys";
        QVERIFY(QFileInfo::exists(archive));

        bool imported = false;
        onModal<KKImport>([&](KKImport* screen) {
            screen->fileBox()->setText(book);
            screen->listWorksheet();
            screen->browser().SelectAllFields();
            screen->importRecords();
            imported = screen->endsProgram();
        });
        main->menuEntry("Transaction", 12)->trigger();
        QVERIFY(imported);
        QVERIFY(!main->isVisible());
        QVERIFY(!state().connection->isOpen());
        QVERIFY(!QFileInfo::exists(archive));
        QCOMPARE(messages.shown.mid(messages.shown.size() - 2),
                 QStringList({"Done!", "DB Refresh Required!\r\nShutting Down..."}));

        state().connection->open();
        QCOMPARE(folder.scalar("Select Count(*) From ktCustomer"), QString("2"));
        state().connection->close();
    }
};

QTEST_MAIN(ImportEndTest)
#include "tst_importend.moc"
