#pragma once
#include "shell/MainView.h"

#include <QMainWindow>
#include <QString>
#include <functional>

class Dashboard;
class MainMenus;
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
    void setCommandMenus(const QString& mode) override;
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

    // The modal tool screens of the menus are plugged in by the parts that own them, under
    // the keys "Import", "Export", "FindReplace", "Report", "Options", "Specifics" and
    // "About". An entry with no opener does nothing. An empty function removes one.
    using ToolOpener = std::function<void(KKMain&)>;
    static void setToolScreen(const QString& key, ToolOpener opener);

    // What a menu entry does; entry numbers count separators (Transaction 15 is "Quit").
    void chooseEntry(const QString& menuName, int n);
    // What dashboard button cmdDash(pane) does: Transaction entry pane + 1.
    void chooseDashboardPane(int pane);

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
    void openModule(const QString& screen, const QString& table, int fieldCount, int reportNumber);
    void runOperation(int n);
    void openTool(const QString& key);
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
};
