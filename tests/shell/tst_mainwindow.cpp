#include "common/TestSupport.h"
#include "shell/DatabaseCreator.h"

#include "base/ModuleCatalogue.h"
#include "base/ProgramState.h"
#include "base/ReportCatalogue.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "shell/Dashboard.h"
#include "shell/KKMain.h"

#include <QtWidgets>
#include <QtTest>

namespace {
// Stands in for the record engine: records what the main window asks of it.
struct FakeHost : ModuleHost {
    QStringList opened;     // "screen table field-count report-number"
    QList<int> operations;
    QList<bool> closes;     // whether the connection was still open at each close

    FakeHost() { state().moduleHost = this; }
    ~FakeHost() override { state().moduleHost = nullptr; }
    void openModule(const QString& screenName) override
    {
        const ProgramState& s = state();
        opened << QString("%1 %2 %3 %4").arg(screenName, s.ModuleTable).arg(s.ModuleFieldCount).arg(s.ReportNumber);
    }
    void runOperation(Operation n) override { operations << int(n); }
    void setCommandMode(CommandMode) override {}
    bool closeActiveModule() override
    {
        closes << (state().connection && state().connection->isOpen());
        return true;
    }
};

// The four details shown in a dashboard pane, joined by "|".
QString pane(const KKMain& w, int p)
{
    QStringList out;
    for (int n = 10 * p + 11; n <= 10 * p + 14; ++n)
        out << w.dashboard()->detailLabel(n)->text();
    return out.join(QLatin1Char('|'));
}

// One character per Operation entry (1 on, 0 off, - separator), a space, one per menu in
// menu-bar order; x where an entry and its toolbar button (or menu-bar entry) disagree.
QString enabledStates(const KKMain& w)
{
    const auto mark = [](bool a, bool b) { return QLatin1Char(a != b ? 'x' : a ? '1' : '0'); };
    QString out;
    for (int n = 1; n <= 17; ++n) {
        QAction* a = w.operationAction(n);
        out += a->isSeparator() ? QLatin1Char('-') : mark(a->isEnabled(), w.toolbarAction(n)->isEnabled());
    }
    out += QLatin1Char(' ');
    for (QAction* m : w.menuBar()->actions())
        out += mark(m->menu()->isEnabled(), m->isEnabled());
    return out;
}
}

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Each menu's entries as the user sees them, "-" for a separator, in menu-bar order. Every
    // entry that opens a record module or a report, and every dashboard pane, opens one the
    // catalogues describe, with the catalogue's caption and values; every catalogued module and
    // report has its entry, in catalogue order.
    void menusAndWhatTheyOpen_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<int>("position"); // in the menu bar
        QTest::addColumn<int>("menu");     // the ModuleMenu of a module menu, else -1
        QTest::addColumn<QString>("entries");
        QTest::newRow("Transaction") << "Transaction" << 0 << int(ModuleMenu::Transaction)
                                     << "Customers|News|Leads|Surveys|-|Send News|Market Lead|Email Survey|-|"
                                        "Survey Updates|-|Import..|Export..|-|Quit";
        QTest::newRow("Operation") << "Operation" << 1 << -1
                                   << "Add|Modify|Delete|-|Save|Xerox|Cancel|-|First|Prior|Next|Last|-|Report|"
                                      "Inquiry|-|Exit";
        QTest::newRow("Utility") << "Utility" << 2 << -1 << "Find && Replace|-|Refresh DB|-|Process Replies";
        QTest::newRow("Report") << "Report" << 3 << -1
                                << "Address List|Phone List|Email List|Print Labels|-|News Print|Lead Print|"
                                   "Survey Print|-|SendNews List|MarketLead List|EmailSurvey List|-|Type Summary|"
                                   "Country Summary|Survey Analysis";
        QTest::newRow("Master") << "Master" << 4 << int(ModuleMenu::Master) << "Customer Type|News Type|-|Suppression List";
        QTest::newRow("Admin") << "Admin" << 5 << int(ModuleMenu::Admin)
                               << "Enterprise|Users|-|Preferences|-|Customize|Options";
        QTest::newRow("Help") << "Help" << 6 << -1 << "Contents|Specifics|-|About";
        QTest::newRow("Dashboard") << "Dashboard" << -1 << -1 << "";
    }

    void menusAndWhatTheyOpen()
    {
        QFETCH(QString, place);
        QFETCH(int, position);
        QFETCH(int, menu);
        TestDataFolder folder;
        ScriptedMessages messages;
        KKMain w;
        FakeHost host;
        if (QAction* bar = w.menuBar()->actions().value(position)) {
            QCOMPARE(bar->text(), "&" + place);
            QStringList shown;
            for (QAction* a : bar->menu()->actions())
                shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
            QTEST(shown.join('|'), "entries");
        }
        if (menu < 0 && place != QLatin1String("Report") && place != QLatin1String("Dashboard"))
            return; // its entries open no module and no report
        int reportsOpened = 0;
        w.setToolScreen(ToolScreen::Report, [&](KKMain&) { ++reportsOpened; });
        const auto module = [&]() -> const ModuleDef* {
            const ModuleDef* m = ModuleCatalogue::find(host.opened.last().section(' ', 0, 0));
            if (m && host.opened.last() != QString("%1 %2 %3 %4").arg(m->screen, m->table).arg(m->fieldCount).arg(m->reportNumber))
                return nullptr; // not the entry's own values
            return m;
        };

        QStringList opened;    // "caption: what it opened"
        QStringList described; // the same, from the catalogues
        if (place == QLatin1String("Dashboard")) {
            for (int i = 0; w.dashboard()->paneButton(i); ++i) {
                w.dashboard()->paneButton(i)->click();
                const ModuleDef* m = module();
                QVERIFY(m);
                QCOMPARE(state().ContentTables.value(i), m->table);
                opened << w.findChild<QLabel*>(QString("lblFrame_%1").arg(i))->text() + ": " + m->screen;
            }
            for (const ModuleDef* m : ModuleCatalogue::dashboardModules())
                described << m->caption + ": " + m->screen;
        } else {
            for (int n = 1; QAction* a = w.menuEntry(place, n); ++n) {
                if (a->isSeparator())
                    continue;
                const qsizetype modulesBefore = host.opened.size();
                const int reportsBefore = reportsOpened;
                a->trigger();
                if (host.opened.size() > modulesBefore) {
                    const ModuleDef* m = module();
                    QVERIFY2(m, qPrintable(a->text()));
                    opened << a->text() + ": " + m->screen;
                } else if (reportsOpened > reportsBefore) {
                    const ReportDef* r = ReportCatalogue::find(state().ReportNumber);
                    QVERIFY2(r, qPrintable(a->text()));
                    QCOMPARE(r->number, ReportCatalogue::kMenuBase + n);
                    QCOMPARE(w.reportCaption(), a->text());
                    opened << a->text() + ": " + QString::number(r->number);
                }
            }
            for (const ModuleDef& m : ModuleCatalogue::modules())
                if (int(m.menu) == menu)
                    described << m.menuCaption + ": " + m.screen;
            if (place == QLatin1String("Report"))
                for (const ReportDef& r : ReportCatalogue::reports())
                    described << r.caption + ": " + QString::number(r.number);
        }
        QVERIFY(!described.isEmpty());
        QCOMPARE(opened, described);
    }

    void menusCommandModesAndDispatch()
    {
        TestDataFolder folder;
        ScriptedMessages messages;
        KKMain w;

        // Operation captions and shortcuts (Ctrl+C is Cancel, Ctrl+X is Xerox); toolbar buttons match,
        // with tool tips that screen readers read.
        QStringList operations;
        for (int n = 1; n <= 17; ++n) {
            QAction* a = w.operationAction(n);
            QAction* b = w.toolbarAction(n);
            operations << (a->isSeparator() ? "-" : a->text() + ' ' + a->shortcut().toString()).trimmed();
            QCOMPARE(b->isSeparator(), a->isSeparator());
            QCOMPARE(b->toolTip().section(' ', 0, 0), a->text());
            QCOMPARE(w.findChild<QToolBar*>("tlbMain")->widgetForAction(b)->accessibleName(), b->toolTip());
        }
        QCOMPARE(operations, (QStringList{
            "Add Ctrl+A", "Modify Ctrl+M", "Delete Ctrl+D", "-", "Save Ctrl+S", "Xerox Ctrl+X", "Cancel Ctrl+C", "-",
            "First Ctrl+F", "Prior Ctrl+P", "Next Ctrl+N", "Last Ctrl+L", "-", "Report Ctrl+R", "Inquiry Ctrl+I", "-", "Exit"}));
        QCOMPARE(w.toolbarAction(7)->toolTip(), QStringLiteral("Cancel (Ctrl-C)"));

        // Viewing: all but Save and Cancel; editing: only Save, Cancel and Exit. Help: Exit only,
        // the other menus open, Admin for CHIEF (in any case) or when CAdminDisp is Y.
        w.setCommandMenus(CommandMode::View);
        QCOMPARE(enabledStates(w), QStringLiteral("111-010-1111-11-1 0100001"));
        w.setCommandMenus(CommandMode::Edit);
        QCOMPARE(enabledStates(w), QStringLiteral("000-101-0000-00-1 0100001"));
        for (const char* c : {"cHiEf N 1011111", "Clerk N 1011101", "Clerk Y 1011111"}) { // login, CAdminDisp, menus
            const QStringList v = QString::fromLatin1(c).split(QLatin1Char(' '));
            state().LoginId = v[0];
            state().CAdminDisp = v[1];
            w.setCommandMenus(CommandMode::Help);
            QCOMPARE(enabledStates(w), QStringLiteral("000-000-0000-00-1 ") + v[2]);
        }
        // Admin stays closed while a module is open, even when CAdminDisp is Y.
        w.setCommandMenus(CommandMode::View);
        QCOMPARE(enabledStates(w), QStringLiteral("111-010-1111-11-1 0100001"));

        // Without an engine nothing happens and the active-module values stay.
        state().ModuleTable = QStringLiteral("untouched");
        w.menuEntry("Transaction", 1)->trigger();
        w.dashboard()->paneButton(0)->click();
        QCOMPARE(state().ModuleTable, QStringLiteral("untouched"));

        FakeHost host;
        // Toolbar button n and Operation entry n run operation n.
        w.setCommandMenus(CommandMode::View);
        for (int n = 1; n <= 17; ++n)
            if (!w.toolbarAction(n)->isSeparator())
                w.toolbarAction(n)->trigger();
        w.setCommandMenus(CommandMode::Edit);
        for (QAction* a : {w.toolbarAction(5), w.operationAction(7), w.operationAction(17)})
            a->trigger();
        QCOMPARE(host.operations, (QList<int>{1, 2, 3, 6, 9, 10, 11, 12, 14, 15, 17, 5, 7, 17}));

        // Operation keys win over the text box's clipboard keys, but only while enabled.
        host.operations.clear();
        auto* edit = new QLineEdit(QStringLiteral("abc"));
        w.workspace()->addSubWindow(edit)->show();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        edit->setFocus();
        edit->selectAll();
        QTRY_VERIFY(edit->hasFocus());
        for (const auto& [mode, keys] : {std::pair{CommandMode::View, QList{Qt::Key_X, Qt::Key_L, Qt::Key_A, Qt::Key_C}},
                                         std::pair{CommandMode::Edit, QList{Qt::Key_C, Qt::Key_S}}}) {
            w.setCommandMenus(mode);
            for (Qt::Key key : keys)
                QTest::keyClick(edit, key, Qt::ControlModifier);
        }
        QCOMPARE(host.operations, (QList<int>{6, 12, 1, 7, 5})); // no Cancel while viewing
        QCOMPARE(edit->text(), QStringLiteral("abc")); // not cut
        QVERIFY(messages.shown.isEmpty());
    }

    void toolScreensAndUtilities()
    {
        TestDataFolder folder;
        ScriptedMessages messages;
        KKMain w;
        QStringList opened; // each tool screen's key (the reports': menusAndWhatTheyOpen)
        const QList<std::pair<ToolScreen, QString>> keys = {
            {ToolScreen::Import, "Import"}, {ToolScreen::Export, "Export"},       {ToolScreen::FindReplace, "FindReplace"},
            {ToolScreen::Options, "Options"}, {ToolScreen::Specifics, "Specifics"}, {ToolScreen::About, "About"},
            {ToolScreen::ProcessReplies, "ProcessReplies"}};
        for (const auto& [tool, key] : keys)
            w.setToolScreen(tool, [&, key](KKMain&) { opened << key; });
        const auto trigger = [&](const char* menu, std::initializer_list<int> entries) {
            for (int n : entries)
                w.menuEntry(QString::fromLatin1(menu), n)->trigger();
        };
        trigger("Transaction", {12, 13});
        trigger("Utility", {1, 5});
        trigger("Admin", {7});
        trigger("Help", {2, 4});
        QCOMPARE(opened, (QStringList{"Import", "Export", "FindReplace", "ProcessReplies", "Options", "Specifics", "About"}));

        // An entry with no screen plugged in does nothing.
        for (const auto& [tool, key] : keys)
            w.setToolScreen(tool, {});
        trigger("Transaction", {12});
        QCOMPARE(opened.size(), 7); // nothing more opened

        // Refresh DB: "Done!"; on a closed connection the refresh fails and is logged.
        trigger("Utility", {3});
        QCOMPARE(messages.shown, QStringList{"Done!"});
        messages.clear();
        state().connection->close();
        trigger("Utility", {3});
        QCOMPARE(messages.shown, QStringList{"Error!"});

        // Help > Contents opens the manual in the browser; with none to start, it says where the manual is.
        QList<QUrl> browsed;
        for (bool started : {true, false}) {
            messages.clear();
            w.openInBrowser = [&](const QUrl& url) { browsed << url; return started; };
            trigger("Help", {1});
            QCOMPARE(browsed.takeLast(), QUrl::fromLocalFile(state().HelpFile));
            QCOMPARE(messages.shown, started ? QStringList()
                                             : QStringList{"No web browser could be started; the manual is " + state().HelpFile});
        }
    }

    void dashboardShowsNewestRecords()
    {
        // Among the many demo rows the newest (highest EId, whatever its date) of each table is shown;
        // a table with no rows leaves "."; shown or not, the dashboard is filled.
        TestDataFolder folder({.content = DemoData::fill});
        ScriptedMessages messages;
        folder.exec("DELETE FROM ktSurvey");
        folder.exec("INSERT INTO ktCustomer (EDate, CTitle, CFirst, CLast) VALUES ('2024-03-05', 'Mr', 'Adam', 'Smith')");
        folder.exec("INSERT INTO ktNews (EDate, NType, NReference) VALUES ('2024-01-02', 2, 'Spring offers')");
        folder.exec("INSERT INTO ktLead (EDate, LReference, LSubject) VALUES ('2024-02-03', 'L-7', NULL)");
        state().CShowDash = QString();
        state().CBackColor = QStringLiteral("255"); // red
        KKMain w;
        QVERIFY(!w.isDashboardShown());
        QCOMPARE(pane(w, 0),
                 folder.scalar("Select Max(EId) From ktCustomer") + '|' + DateText::format({2024, 3, 5}) + "|Mr|Adam");
        QCOMPARE(pane(w, 1).section('|', 2), QStringLiteral("2|Spring offers"));
        QCOMPARE(pane(w, 2).section('|', 2), QStringLiteral("L-7|")); // null subject
        QCOMPARE(pane(w, 3), QStringLiteral(".|.|.|.")); // no surveys
        QCOMPARE(w.dashboard()->pane(3)->palette().color(QPalette::Window), QColor(255, 0, 0));

        // A bad back colour and an unreadable table: both reported, the colour kept, later panes not refreshed.
        folder.exec("INSERT INTO ktCustomer (EDate, CTitle, CFirst) VALUES ('2024-03-06', 'Dr', 'Eve')");
        folder.exec("INSERT INTO ktLead (EDate, LReference, LSubject) VALUES ('2024-02-04', 'L-8', 'Hello')");
        state().CBackColor = QStringLiteral("blue");
        state().ContentTables[1] = QStringLiteral("ktMissingTable");
        w.refreshDashboard();
        QCOMPARE(messages.shown, (QStringList{"Error!", "Error!"}));
        QCOMPARE(w.dashboard()->pane(3)->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(pane(w, 0).section('|', 2), QStringLiteral("Dr|Eve"));
        QCOMPARE(pane(w, 2).section('|', 2), QStringLiteral("L-7|"));
        QVERIFY(!state().settingsReader.isOpen());
    }

    void windowLifecycle()
    {
        TestDataFolder folder;
        ScriptedMessages messages;
        state().clock.setFixed(QDateTime(QDate(2024, 7, 9), QTime(14, 30)));
        state().CTexTure = QStringLiteral("65280"); // green
        state().CShowDash = QStringLiteral("Y");
        {
            KKMain w;
            QCOMPARE(state().mainView, static_cast<MainView*>(&w));
            QCOMPARE(w.workspace()->background().color(), QColor(0, 255, 0));
            QVERIFY(w.isDashboardShown());
            QCOMPARE(w.statusText(5), DateText::format(QDate(2024, 7, 9)));
            state().CTexTure = QStringLiteral("12ab"); // not a number: reported, the colour kept
            w.applyTexture();
            QCOMPARE(w.workspace()->background().color(), QColor(0, 255, 0));
            state().LoginId = QStringLiteral("jOHN smith");
            w.mainLoadHook();
            QCOMPARE(w.statusText(2), QStringLiteral("User:John Smith"));

            // Always maximized; minimizing is allowed. Each step waits for the window system's answer.
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            const QList<QPair<std::function<void()>, bool>> steps = {
                {[] {}, false}, {[&] { w.showNormal(); }, false}, {[&] { w.setWindowState(Qt::WindowFullScreen); }, false},
                {[&] { w.showMinimized(); }, true}, {[&] { w.showNormal(); }, false}};
            for (const auto& [request, minimized] : steps) {
                request();
                QTest::qWait(30);
                QVERIFY(minimized ? w.isMinimized() : w.isMaximized() && !w.isFullScreen());
            }

            // Quit: the open module closes first, then the connection.
            FakeHost host;
            w.menuEntry("Transaction", 15)->trigger();
            QCOMPARE(host.closes, QList<bool>{true});
            QVERIFY(!state().connection->isOpen());
            QVERIFY(!w.isVisible());
        }
        QVERIFY(!state().mainView);
        QCOMPARE(messages.shown, QStringList{"Error!"});
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
