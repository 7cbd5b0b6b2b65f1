#include "common/TestSupport.h"

#include "platform/Clock.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "shell/Dashboard.h"
#include "shell/KKMain.h"
#include "shell/ProgramState.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>

namespace {
// Stands in for the record engine: records what the main window asks of it, with the
// active-module values as they were at the moment of the call.
struct FakeHost : ModuleHost {
    struct Open {
        QString screen, table;
        int fieldCount, reportNumber;
    };
    QList<Open> opened;
    QList<int> operations;
    int closes = 0;
    bool connectionOpenAtClose = false;

    void openModule(const QString& screenName) override
    {
        const ProgramState& s = state();
        opened << Open{screenName, s.ModuleTable, s.ModuleFieldCount, s.ReportNumber};
    }
    void runOperation(int n) override { operations << n; }
    void setCommandMode(const QString&) override {}
    void closeActiveModule() override
    {
        ++closes;
        connectionOpenAtClose = state().connection && state().connection->isOpen();
    }
};

TestDataFolder::Options plain()
{
    return TestDataFolder::Options{};
}

TestDataFolder::Options demo()
{
    TestDataFolder::Options o;
    o.demo = true;
    return o;
}

QString detail(const KKMain& w, int n)
{
    return w.dashboard()->detailLabel(n)->text();
}

const int Separators[] = {4, 8, 13, 16};
bool isSeparator(int n)
{
    return std::find(std::begin(Separators), std::end(Separators), n) != std::end(Separators);
}
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void menusToolbarAndNames();
    void commandModesEnableTheRightEntries();
    void entriesAndButtonsReachTheEngine();
    void operationKeysWinOverTheClipboard();
    void toolScreensAndUtilities();
    void dashboardShowsNewestRecords();
    void dashboardFailureKeepsLaterPanes();
    void windowLifecycle();
};

void MainWindowTest::menusToolbarAndNames()
{
    TestDataFolder folder(plain());
    ScriptedMessages messages;
    KKMain w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvina"));
    QCOMPARE(w.objectName(), QStringLiteral("KKMain"));
    QCOMPARE(w.centralWidget(), static_cast<QWidget*>(w.workspace()));

    // Menu bar order, captions with access keys, entry counts.
    const QList<QPair<QString, int>> menus = {{"Transaction", 15}, {"Operation", 17}, {"Utility", 3},
                                              {"Report", 16},      {"Master", 2},     {"Admin", 7},
                                              {"Help", 4}};
    const QList<QAction*> bar = w.menuBar()->actions();
    QCOMPARE(bar.size(), menus.size());
    for (int i = 0; i < menus.size(); ++i) {
        QMenu* m = w.menu(QStringLiteral("mnu") + menus[i].first);
        QVERIFY2(m, qPrintable(menus[i].first));
        QCOMPARE(bar[i], m->menuAction());
        QCOMPARE(m->title(), QLatin1Char('&') + menus[i].first);
        QCOMPARE(m->actions().size(), menus[i].second);
        QCOMPARE(m->actions().last()->objectName(),
                 QStringLiteral("mnu%1_%2").arg(menus[i].first).arg(menus[i].second));
    }

    const auto text = [&](const char* menu, int n) { return w.menuEntry(QString::fromLatin1(menu), n)->text(); };
    QCOMPARE(text("Transaction", 12), QStringLiteral("Import.."));
    QCOMPARE(text("Transaction", 15), QStringLiteral("Quit"));
    QCOMPARE(text("Utility", 1), QStringLiteral("Find && Replace"));
    QCOMPARE(text("Report", 14), QStringLiteral("Type Summary"));
    QCOMPARE(text("Admin", 6), QStringLiteral("Customize"));
    QVERIFY(w.menuEntry("Admin", 3)->isSeparator() && w.menuEntry("Admin", 5)->isSeparator());

    // Operation entries: captions, shortcuts (Ctrl+C is Cancel, Ctrl+X is Xerox), separators.
    const char* const captions[] = {"Add",   "Modify", "Delete", "-",    "Save",   "Xerox",   "Cancel", "-",  "First",
                                    "Prior", "Next",   "Last",   "-",    "Report", "Inquiry", "-",      "Exit"};
    const char* const keys = "AMD-SXC-FPNL-RI--";
    for (int n = 1; n <= 17; ++n) {
        QAction* a = w.operationAction(n);
        QCOMPARE(a->objectName(), QStringLiteral("mnuOperation_%1").arg(n));
        QCOMPARE(a->isSeparator(), isSeparator(n));
        if (isSeparator(n))
            continue;
        QCOMPARE(a->text(), QString::fromLatin1(captions[n - 1]));
        const QKeySequence expected = keys[n - 1] == '-' ? QKeySequence()
                                                        : QKeySequence(QStringLiteral("Ctrl+") + QLatin1Char(keys[n - 1]));
        QCOMPARE(a->shortcut(), expected);
    }

    // Toolbar: 17 positions, separators at 4, 8, 13, 16, tool tips that screen readers read.
    auto* toolbar = w.findChild<QToolBar*>(QStringLiteral("tlbMain"));
    QVERIFY(toolbar);
    for (int n = 1; n <= 17; ++n) {
        QAction* a = w.toolbarAction(n);
        QCOMPARE(a->isSeparator(), isSeparator(n));
        if (isSeparator(n))
            continue;
        QCOMPARE(a->toolTip().left(a->toolTip().indexOf(QLatin1Char(' '))), QString::fromLatin1(captions[n - 1]));
        QCOMPARE(toolbar->widgetForAction(a)->accessibleName(), a->toolTip());
    }
    QCOMPARE(w.toolbarAction(7)->toolTip(), QStringLiteral("Cancel (Ctrl-C)"));
    QCOMPARE(w.toolbarAction(17)->toolTip(), QStringLiteral("Exit (ESC)"));

    QCOMPARE(w.statusText(1), QStringLiteral("Ready"));
    QCOMPARE(w.statusText(4), QStringLiteral("Korvina"));
    QCOMPARE(w.dashboard()->titleLabel(34)->text(), QStringLiteral("Subject:"));

    // The dashboard's "+" buttons are named for the screen reader.
    for (int i = 0; i < 4; ++i) {
        QPushButton* b = w.dashboard()->paneButton(i);
        QCOMPARE(b->objectName(), QStringLiteral("cmdDash_%1").arg(i));
        QCOMPARE(b->text(), QStringLiteral("+"));
        QVERIFY(!b->toolTip().isEmpty());
        QCOMPARE(b->accessibleName(), b->toolTip());
    }
    QVERIFY(messages.shown.isEmpty());
}

void MainWindowTest::commandModesEnableTheRightEntries()
{
    TestDataFolder folder(plain());
    ScriptedMessages messages;
    KKMain w;
    // 1 enabled, 0 disabled, -1 when the menu and its menu-bar entry disagree.
    const auto menuState = [&](const char* name) {
        QMenu* m = w.menu(QString::fromLatin1(name));
        return m->isEnabled() == m->menuAction()->isEnabled() ? int(m->isEnabled()) : -1;
    };
    const auto checkOperations = [&](std::function<bool(int)> enabled) {
        for (int n = 1; n <= 17; ++n) {
            if (isSeparator(n))
                continue;
            QVERIFY2(w.operationAction(n)->isEnabled() == enabled(n), qPrintable(QString::number(n)));
            QVERIFY2(w.toolbarAction(n)->isEnabled() == enabled(n), qPrintable(QString::number(n)));
        }
    };

    w.setCommandMenus(QStringLiteral("View"));
    checkOperations([](int n) { return n != 5 && n != 7; });
    QCOMPARE(menuState("Operation"), 1);
    for (const char* m : {"Transaction", "Utility", "Report", "Master", "Admin"})
        QVERIFY2(menuState(m) == 0, m);
    QCOMPARE(menuState("Help"), 1);

    w.setCommandMenus(QStringLiteral("Edit"));
    checkOperations([](int n) { return n == 5 || n == 7 || n == 17; });
    QCOMPARE(menuState("Operation"), 1);
    QCOMPARE(menuState("Transaction"), 0);
    QCOMPARE(menuState("Admin"), 0);

    // "Help": nothing to operate on but Exit; the other menus open, Admin for administrators only.
    state().LoginId = QStringLiteral("cHiEf");
    state().CAdminDisp = QStringLiteral("N");
    w.setCommandMenus(QStringLiteral("Help"));
    checkOperations([](int n) { return n == 17; });
    QCOMPARE(menuState("Operation"), 0);
    for (const char* m : {"Transaction", "Utility", "Report", "Master", "Admin", "Help"})
        QVERIFY2(menuState(m) == 1, m);

    state().LoginId = QStringLiteral("Clerk");
    w.setCommandMenus(QStringLiteral("Help"));
    QCOMPARE(menuState("Admin"), 0);
    QCOMPARE(menuState("Master"), 1);

    state().CAdminDisp = QStringLiteral("Y");
    w.setCommandMenus(QStringLiteral("Help"));
    QCOMPARE(menuState("Admin"), 1);
    // Admin stays closed while a module is open, even for the administrator.
    w.setCommandMenus(QStringLiteral("View"));
    QCOMPARE(menuState("Admin"), 0);
}

void MainWindowTest::entriesAndButtonsReachTheEngine()
{
    TestDataFolder folder(plain());
    ScriptedMessages messages;
    KKMain w;

    // Without an engine nothing happens and the active-module values stay.
    state().ModuleTable = QStringLiteral("untouched");
    w.menuEntry("Transaction", 1)->trigger();
    w.dashboard()->paneButton(0)->click();
    QCOMPARE(state().ModuleTable, QStringLiteral("untouched"));

    FakeHost host;
    state().moduleHost = &host;
    w.setCommandMenus(QStringLiteral("View"));
    for (int n = 1; n <= 17; ++n)
        if (!isSeparator(n))
            w.toolbarAction(n)->trigger();
    w.setCommandMenus(QStringLiteral("Edit"));
    w.toolbarAction(5)->trigger();
    w.operationAction(7)->trigger();
    w.operationAction(17)->trigger();
    QCOMPARE(host.operations, (QList<int>{1, 2, 3, 6, 9, 10, 11, 12, 14, 15, 17, 5, 7, 17}));
    QCOMPARE(host.opened.size(), 0);

    struct Expect {
        const char* menu;
        int n;
        const char* screen;
        const char* table;
        int count, report;
    };
    // Entries after separators keep their numbers; master and admin modules have no report.
    const Expect expected[] = {
        {"Transaction", 1, "KKCustomer", "ktCustomer", 20, 41}, {"Transaction", 8, "KKESurvey", "ktESurvey", 6, 52},
        {"Transaction", 10, "KKSUpdate", "ktSUpdate", 13, 56},  {"Master", 2, "KKNewsType", "kmNewsType", 3, 0},
        {"Admin", 4, "KKPreference", "kaPreference", 9, 0},     {"Admin", 6, "KKCustomize", "kaCustomize", 13, 0},
    };
    w.setCommandMenus(QStringLiteral("Help"));
    for (const Expect& e : expected) {
        host.opened.clear();
        state().ReportNumber = 99;
        w.menuEntry(QString::fromLatin1(e.menu), e.n)->trigger();
        QCOMPARE(host.opened.size(), 1);
        const FakeHost::Open& o = host.opened.first();
        QCOMPARE(o.screen, QString::fromLatin1(e.screen));
        QCOMPARE(o.table, QString::fromLatin1(e.table));
        QCOMPARE(o.fieldCount, e.count);
        QCOMPARE(o.reportNumber, e.report);
    }

    // The dashboard's "+" buttons open the first four transaction modules.
    host.opened.clear();
    for (int i = 0; i < 4; ++i)
        w.dashboard()->paneButton(i)->click();
    QStringList screens;
    for (const auto& o : host.opened)
        screens << o.screen;
    QCOMPARE(screens, (QStringList{"KKCustomer", "KKNews", "KKLead", "KKSurvey"}));
    QCOMPARE(state().ModuleFieldCount, 17);
    QCOMPARE(host.operations.size(), 14); // none of the above ran an operation
    state().moduleHost = nullptr;
}

void MainWindowTest::operationKeysWinOverTheClipboard()
{
    TestDataFolder folder(plain());
    ScriptedMessages messages;
    FakeHost host;
    state().moduleHost = &host;
    KKMain w;
    auto* edit = new QLineEdit(QStringLiteral("abc"));
    QMdiSubWindow* child = w.workspace()->addSubWindow(edit);
    w.show();
    child->show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    edit->setFocus();
    edit->selectAll();
    QTRY_VERIFY(edit->hasFocus());

    w.setCommandMenus(QStringLiteral("View"));
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(host.operations, QList<int>{6});
    QCOMPARE(edit->text(), QStringLiteral("abc")); // not cut
    QTest::keyClick(edit, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(host.operations, (QList<int>{6, 12, 1}));
    // Cancel is off while viewing: the key is left to the text box.
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(host.operations.size(), 3);

    w.setCommandMenus(QStringLiteral("Edit"));
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(host.operations, (QList<int>{6, 12, 1, 7, 5}));
    state().moduleHost = nullptr;
}

void MainWindowTest::toolScreensAndUtilities()
{
    TestDataFolder folder(plain());
    ScriptedMessages messages;
    KKMain w;
    QStringList opened;
    QList<int> reportNumbers;
    QStringList reportCaptions;
    const QStringList keys = {"Import", "Export", "FindReplace", "Report", "Options", "Specifics", "About"};
    for (const QString& key : keys)
        KKMain::setToolScreen(key, [&, key](KKMain& main) {
            opened << key;
            if (key == QLatin1String("Report")) {
                reportNumbers << state().ReportNumber;
                reportCaptions << main.reportCaption();
            }
        });

    w.menuEntry("Transaction", 12)->trigger();
    w.menuEntry("Transaction", 13)->trigger();
    w.menuEntry("Utility", 1)->trigger();
    w.menuEntry("Admin", 7)->trigger();
    w.menuEntry("Help", 2)->trigger();
    w.menuEntry("Help", 4)->trigger();
    QCOMPARE(opened, (QStringList{"Import", "Export", "FindReplace", "Options", "Specifics", "About"}));

    opened.clear();
    for (int n = 1; n <= 16; ++n)
        if (!w.menuEntry("Report", n)->isSeparator())
            w.menuEntry("Report", n)->trigger();
    QCOMPARE(reportNumbers, (QList<int>{41, 42, 43, 44, 46, 47, 48, 50, 51, 52, 54, 55, 56}));
    QCOMPARE(reportCaptions.at(10), QStringLiteral("Type Summary"));
    QCOMPARE(reportCaptions.first(), QStringLiteral("Address List"));
    QCOMPARE(w.reportCaption(), QStringLiteral("Survey Analysis"));

    // An entry with no screen plugged in does nothing.
    for (const QString& key : keys)
        KKMain::setToolScreen(key, {});
    opened.clear();
    w.menuEntry("Transaction", 12)->trigger();
    w.menuEntry("Report", 1)->trigger();
    QVERIFY(opened.isEmpty());
    QCOMPARE(state().ReportNumber, 41);

    // Refresh DB: the engine's cache refresh, then "Done!".
    w.menuEntry("Utility", 3)->trigger();
    QCOMPARE(messages.shown, QStringList{"Done!"});
    // On a closed connection the refresh fails and is logged.
    messages.clear();
    state().connection->close();
    w.menuEntry("Utility", 3)->trigger();
    QCOMPARE(messages.shown, QStringList{"Error!"});

    // Contents opens the help file.
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    w.menuEntry("Help", 1)->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(state().HelpFile)});
}

void MainWindowTest::dashboardShowsNewestRecords()
{
    {
        // The demo installation: pane 0 shows the customer with the highest EId.
        TestDataFolder folder(demo());
        ScriptedMessages messages;
        KKMain w;
        QVERIFY(messages.shown.isEmpty());
        const QString top = folder.scalar(QStringLiteral("Select Max(EId) From ktCustomer"));
        QVERIFY(top.toInt() > 1);
        QCOMPARE(detail(w, 11), top);
        QCOMPARE(detail(w, 14),
                 folder.scalar(QStringLiteral("Select CFirst From ktCustomer Where EId=") + top));
        QCOMPARE(detail(w, 41), folder.scalar(QStringLiteral("Select Max(EId) From ktSurvey")));
        QVERIFY(!state().settingsReader.isOpen());
        QCOMPARE(state().SqlText, QStringLiteral("Select Top 1 * From ktSurvey Order By EId Desc"));
    }

    TestDataFolder folder(plain());
    ScriptedMessages messages;
    folder.exec("INSERT INTO ktCustomer (EDate, CTitle, CFirst, CLast) VALUES ('2023-11-20', 'Ms', 'Older', 'One')");
    folder.exec("INSERT INTO ktCustomer (EDate, CTitle, CFirst, CLast) VALUES ('2024-03-05', 'Mr', 'Adam', 'Smith')");
    folder.exec("INSERT INTO ktNews (EDate, NType, NReference) VALUES ('2024-01-02', 2, 'Spring offers')");
    folder.exec("INSERT INTO ktLead (EDate, LReference, LSubject) VALUES ('2024-02-03', 'L-7', NULL)");
    // Shown or not, the dashboard is filled.
    state().CShowDash = QString();
    KKMain w;
    QVERIFY(!w.isDashboardShown());
    const QString customer = folder.scalar("Select EId From ktCustomer Where CFirst='Adam'");
    QCOMPARE(detail(w, 11), customer);
    QCOMPARE(detail(w, 12), DateText::format(QDate(2024, 3, 5)));
    QCOMPARE(detail(w, 13), QStringLiteral("Mr"));
    QCOMPARE(detail(w, 14), QStringLiteral("Adam"));
    QCOMPARE(detail(w, 23), QStringLiteral("2"));
    QCOMPARE(detail(w, 24), QStringLiteral("Spring offers"));
    QCOMPARE(detail(w, 33), QStringLiteral("L-7"));
    QCOMPARE(detail(w, 34), QString()); // null
    for (int n = 41; n <= 44; ++n)
        QCOMPARE(detail(w, n), QStringLiteral(".")); // no surveys yet

    // Colours from CBackColor; visibility follows the call.
    state().CBackColor = QStringLiteral("255"); // red
    w.refreshDashboard();
    QCOMPARE(w.dashboard()->palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(w.dashboard()->pane(3)->palette().color(QPalette::Window), QColor(255, 0, 0));
    w.setDashboardVisible(true);
    QVERIFY(w.isDashboardShown());
    QVERIFY(messages.shown.isEmpty());
}

void MainWindowTest::dashboardFailureKeepsLaterPanes()
{
    TestDataFolder folder(plain());
    ScriptedMessages messages;
    KKMain w;
    QCOMPARE(detail(w, 11), QStringLiteral("."));
    folder.exec("INSERT INTO ktCustomer (EDate, CTitle, CFirst) VALUES ('2024-03-05', 'Dr', 'Eve')");
    folder.exec("INSERT INTO ktLead (EDate, LReference, LSubject) VALUES ('2024-02-03', 'L-8', 'Hello')");
    state().ContentTables[1] = QStringLiteral("ktMissingTable");
    w.refreshDashboard();
    QCOMPARE(messages.count("Error!"), 1);
    QCOMPARE(detail(w, 13), QStringLiteral("Dr"));  // before the failing table
    QCOMPARE(detail(w, 33), QStringLiteral("."));   // after it: not reached
    QVERIFY(!state().settingsReader.isOpen());

    // An unreadable back colour is reported, and the records are still read.
    messages.clear();
    state().ContentTables[1] = QStringLiteral("ktNews");
    state().CBackColor = QStringLiteral("blue");
    w.refreshDashboard();
    QCOMPARE(messages.shown, QStringList{"Error!"});
    QCOMPARE(detail(w, 34), QStringLiteral("Hello"));
}

void MainWindowTest::windowLifecycle()
{
    TestDataFolder folder(plain());
    ScriptedMessages messages;
    Clock::setFixed(QDateTime(QDate(2024, 7, 9), QTime(14, 30)));
    state().CTexTure = QStringLiteral("65280"); // green
    state().CShowDash = QStringLiteral("Y");
    FakeHost host;
    {
        KKMain w;
        QCOMPARE(state().mainView, static_cast<MainView*>(&w));
        QCOMPARE(w.workspace()->background().color(), QColor(0, 255, 0));
        QVERIFY(w.isDashboardShown());
        QCOMPARE(w.statusText(5), DateText::format(QDate(2024, 7, 9)));
        QVERIFY(!w.statusText(6).isEmpty());

        // A texture that is not a number: one "Error!", the colour stays.
        state().CTexTure = QStringLiteral("12ab");
        w.applyTexture();
        QCOMPARE(messages.shown, QStringList{"Error!"});
        QCOMPARE(w.workspace()->background().color(), QColor(0, 255, 0));

        // The KMainLoad hook.
        state().LoginId = QStringLiteral("jOHN smith");
        state().EShort = QStringLiteral("Acme Ltd");
        w.mainLoadHook();
        QCOMPARE(w.statusText(2), QStringLiteral("User:John Smith"));
        QCOMPARE(w.statusText(3), QStringLiteral("Acme Ltd"));
        QCOMPARE(w.enterpriseNameBox()->text(), QStringLiteral("Acme Ltd"));

        // Always maximized; minimizing is allowed. The window system answers each request
        // later, so each step waits for its answer before looking.
        const auto settle = [] { QTest::qWait(30); };
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        settle();
        QVERIFY(w.isMaximized());
        w.showNormal();
        settle();
        QVERIFY(w.isMaximized());
        w.setWindowState(Qt::WindowFullScreen);
        settle();
        QVERIFY(w.isMaximized() && !w.isFullScreen());
        w.showMinimized();
        settle();
        QVERIFY(w.isMinimized());
        w.showNormal();
        settle();
        QVERIFY(w.isMaximized());

        // Quit: the open module closes first, then the connection.
        state().moduleHost = &host;
        w.menuEntry("Transaction", 15)->trigger();
        QCOMPARE(host.closes, 1);
        QVERIFY(host.connectionOpenAtClose);
        QVERIFY(!state().connection->isOpen());
        QVERIFY(!w.isVisible());
        state().moduleHost = nullptr;
    }
    QVERIFY(!state().mainView);
    Clock::setFixed(QDateTime());
    QCOMPARE(messages.shown.size(), 1);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
