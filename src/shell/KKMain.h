#pragma once
#include "base/MainView.h"
#include "shell/MainMenus.h"

#include <QMainWindow>
#include <QHash>
#include <QString>
#include <QUrl>
#include <functional>

class Dashboard;
class QAction;
class QDockWidget;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QTimer;

// The program's one top-level window: the frame that hosts the record screens as child
// windows of its workspace, with the menus, the operation toolbar tlbMain, the status bar
// stbMain, the enterprise name box txtComp1 and the dashboard pctDash.
//
// Construct it once the connection is open and the customization is loaded (after the
// log-in): its load handler runs in the constructor (status panels, back colour, dashboard
// visibility, RefreshDashboard). It registers itself as state().mainView for its lifetime.
// The record modules of the Transaction, Master and Admin menus and of the dashboard come from
// the module catalogue; opening one sets ModuleTable, ModuleFieldCount and ReportNumber and
// asks state().moduleHost to open the screen.
class KKMain : public QMainWindow, public MainView {
    Q_OBJECT
public:
    explicit KKMain(QWidget* parent = nullptr);
    ~KKMain() override;

    // MainView
    void setStatusText(int panel, const QString& text) override;
    void showEnterpriseName(const QString& shortName) override;
    void applyTexture() override;
    void setDashboardVisible(bool visible) override;
    void refreshDashboard() override;
    void setCommandMenus(CommandMode mode) override;
    void closeProgram() override;
    // The main-window branch of the "KMainLoad" hook: user and organisation panels and
    // the enterprise name box.
    void mainLoadHook() override;

    QString statusText(int panel) const;
    QLabel* statusPanel(int panel) const; // stbMain_1 .. stbMain_7
    QMdiArea* workspace() const { return m_workspace; }
    Dashboard* dashboard() const { return m_dashboard; }
    bool isDashboardShown() const;        // shown unless hidden (independent of the window)
    QLineEdit* enterpriseNameBox() const { return m_comp; }

    QMenu* menu(const QString& name) const; // "mnuOperation" or "Operation"
    QAction* menuEntry(const QString& menuName, int n) const;
    QAction* operationAction(int n) const;  // Operation entry n (1..17)
    QAction* toolbarAction(int n) const;    // toolbar button n (1..17)

    // The caption of the Report entry last chosen (the report screen's caption).
    const QString& reportCaption() const { return m_reportCaption; }


    // First letter of each word upper case, the rest lower case.
    static QString properCase(const QString& text);

    // The modal tool screens of the menus are plugged in by the parts that own them
    // (Import, Export, FindReplace, Report, Options, Specifics, About). The opener runs with
    // the main window as the screen's parent; for Report, ReportNumber and reportCaption() are
    // set first. An entry with no opener does nothing; an empty function removes one.
    using ToolOpener = std::function<void(KKMain&)>;
    void setToolScreen(ToolScreen tool, ToolOpener opener);

    // Help > Contents hands the manual to this (the desktop's browser); false when none started.
    std::function<bool(const QUrl& url)> openInBrowser;

    // Opens a record module, as its menu entry and its dashboard pane's "+" do.
    void openModule(ModuleId module);

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildStatusBar();
    void buildEnterpriseBox();
    void buildDashboard();
    void load();
    void keepMaximized();
    void showClock();
    void runCommand(MenuCommand command);
    void chooseReport(int reportNumber, const QString& caption);
    void runOperation(Operation operation);
    void openTool(ToolScreen tool);
    void refreshDatabase();
    void openHelp();

    MainMenus* m_menus = nullptr;
    QMdiArea* m_workspace = nullptr;
    QDockWidget* m_dashDock = nullptr;
    Dashboard* m_dashboard = nullptr;
    QLineEdit* m_comp = nullptr;
    QLabel* m_panels[7] = {};
    QTimer* m_clock = nullptr;
    QString m_reportCaption;
    QHash<ToolScreen, ToolOpener> m_tools;
};
