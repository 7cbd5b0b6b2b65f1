#include "shell/KKMain.h"

#include "platform/AppError.h"
#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "base/Messages.h"
#include "shell/Dashboard.h"
#include "shell/MainMenus.h"
#include "base/Program.h"

#include <QAction>
#include <QCloseEvent>
#include <QColor>
#include <QDesktopServices>
#include <QDockWidget>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace {
// Twips to pixels at 96 dpi.
constexpr int px(int twips) { return twips / 15; }

// The status bar panels: width as a share of the screen width (thousandths), tool tip.
struct PanelInfo {
    int share;
    const char* tip;
};
const PanelInfo Panels[7] = {
    {150, "Mode"},         {125, "Current User"}, {125, "Organization Name"}, {200, "Korvina"},
    {125, "Current Date"}, {125, "Current Time"}, {150, "Messages"},
};

}

KKMain::KKMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("KKMain"));
    setWindowTitle(QStringLiteral("Korvina"));
    setAccessibleName(QStringLiteral("Korvina"));
    openInBrowser = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    m_workspace = new QMdiArea(this);
    m_workspace->setObjectName(QStringLiteral("workspace"));
    m_workspace->setAccessibleName(QStringLiteral("Workspace"));
    setCentralWidget(m_workspace);

    m_menus = new MainMenus(this);
    connect(m_menus, &MainMenus::moduleChosen, this, &KKMain::openModule);
    connect(m_menus, &MainMenus::reportChosen, this, &KKMain::chooseReport);
    connect(m_menus, &MainMenus::operationChosen, this, &KKMain::runOperation);
    connect(m_menus, &MainMenus::toolChosen, this, &KKMain::openTool);
    connect(m_menus, &MainMenus::commandChosen, this, &KKMain::runCommand);
    buildEnterpriseBox();
    buildDashboard();
    buildStatusBar();

    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &KKMain::showClock);
    m_clock->start();
    showClock();

    setWindowState(Qt::WindowMaximized);
    state().mainView = this;
    setCommandMenus(CommandMode::Help);
    load();
}

KKMain::~KKMain()
{
    if (ProgramState* s = ProgramState::current(); s && s->mainView == this)
        s->mainView = nullptr;
}

void KKMain::buildEnterpriseBox()
{
    // txtComp1 sits at the right end of the toolbar, 1650 twips from the screen's edge.
    auto* spacer = new QWidget(this);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_menus->toolbar()->addWidget(spacer);
    m_comp = new QLineEdit(QStringLiteral("Comp"), this);
    m_comp->setObjectName(QStringLiteral("txtComp1"));
    m_comp->setReadOnly(true);
    m_comp->setFocusPolicy(Qt::NoFocus);
    m_comp->setFont(QFont(QStringLiteral("Agency FB"), 10));
    m_comp->setFixedWidth(px(1650) - 8);
    m_comp->setAccessibleName(QStringLiteral("Organization Name"));
    m_menus->toolbar()->addWidget(m_comp);
}

void KKMain::buildDashboard()
{
    m_dashboard = new Dashboard;
    connect(m_dashboard, &Dashboard::moduleChosen, this, &KKMain::openModule);
    // A docked panel without a title bar, above the child windows, that can be hidden.
    m_dashDock = new QDockWidget(QStringLiteral("DashBoard"), this);
    m_dashDock->setObjectName(QStringLiteral("dockDash"));
    m_dashDock->setTitleBarWidget(new QWidget(m_dashDock));
    m_dashDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    m_dashDock->setAllowedAreas(Qt::TopDockWidgetArea);
    m_dashDock->setWidget(m_dashboard);
    addDockWidget(Qt::TopDockWidgetArea, m_dashDock);
}

void KKMain::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("stbMain"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("stbMain_%1").arg(i + 1));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setToolTip(QString::fromLatin1(Panels[i].tip));
        label->setAccessibleName(QString::fromLatin1(Panels[i].tip));
        label->setTextFormat(Qt::PlainText);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setMinimumWidth(16);
        // The shares add up to the whole width, so each panel takes its share of the
        // maximized window, that is of the screen.
        bar->addPermanentWidget(label, Panels[i].share);
        m_panels[i] = label;
    }
    m_panels[0]->setText(QStringLiteral("Ready"));
    m_panels[3]->setText(QStringLiteral("Korvina"));
}

// The load handler: panels, back colour, dashboard visibility and contents.
void KKMain::load()
{
    applyTexture();
    setDashboardVisible(state().CShowDash == QLatin1String("Y"));
    refreshDashboard();
}

void KKMain::showClock()
{
    const QDateTime now = state().clock.now();
    m_panels[4]->setText(DateText::format(now.date()));
    m_panels[5]->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
}

// ---- MainView ---------------------------------------------------------------------------

void KKMain::setStatusText(int panel, const QString& text)
{
    if (QLabel* label = statusPanel(panel))
        label->setText(text);
}

QString KKMain::statusText(int panel) const
{
    const QLabel* label = statusPanel(panel);
    return label ? label->text() : QString();
}

QLabel* KKMain::statusPanel(int panel) const
{
    return panel >= 1 && panel <= 7 ? m_panels[panel - 1] : nullptr;
}

void KKMain::showEnterpriseName(const QString& shortName)
{
    m_comp->setText(shortName);
}

void KKMain::applyTexture()
{
    Guard([this] {
        const QString& text = state().CTexTure;
        bool ok = false;
        const QColor colour = ColorFromText(text, &ok);
        if (!ok)
            throw AppError(13, QStringLiteral("KKMain"), QStringLiteral("Type mismatch in CTexTure: '%1'").arg(text));
        m_workspace->setBackground(colour);
    });
}

void KKMain::setDashboardVisible(bool visible)
{
    m_dashDock->setVisible(visible);
}

bool KKMain::isDashboardShown() const
{
    return !m_dashDock->isHidden();
}

void KKMain::refreshDashboard()
{
    ProgramState& s = state();
    Guard([&] {
        bool ok = false;
        const QColor colour = ColorFromText(s.CBackColor, &ok);
        if (!ok)
            throw AppError(13, QStringLiteral("RefreshDashboard"),
                           QStringLiteral("Type mismatch in CBackColor: '%1'").arg(s.CBackColor));
        m_dashboard->setBackColour(colour);
    });
    // A table that cannot be read ends the refresh there; later panes keep their values.
    Guard([&] { m_dashboard->readNewestRecords(); });
    if (s.settingsReader.isOpen())
        Guard([&] { s.settingsReader.close(); });
}

void KKMain::setCommandMenus(CommandMode mode)
{
    const bool help = mode == CommandMode::Help;
    const bool view = mode == CommandMode::View;
    const bool edit = mode == CommandMode::Edit;

    for (Operation operation : MainMenus::operations()) {
        if (operation == Operation::Exit)
            continue; // on in every mode
        const bool saveOrCancel = operation == Operation::Save || operation == Operation::Cancel;
        const bool on = (view && !saveOrCancel) || (edit && saveOrCancel);
        m_menus->operationEntry(operation)->setEnabled(on);
        m_menus->operationButton(operation)->setEnabled(on);
    }

    const auto enableMenu = [this](const char* name, bool on) {
        QMenu* m = menu(QString::fromLatin1(name));
        m->setEnabled(on);
        m->menuAction()->setEnabled(on);
    };
    const ProgramState& s = state();
    enableMenu("Operation", !help);
    for (const char* name : {"Transaction", "Utility", "Report", "Master"})
        enableMenu(name, help);
    enableMenu("Admin", help && (s.CAdminDisp == QLatin1String("Y") || s.isAdministrator()));
    enableMenu("Help", true);
}

void KKMain::closeProgram()
{
    close();
}

// ---- Menus ------------------------------------------------------------------------------

QMenu* KKMain::menu(const QString& name) const { return m_menus->menu(name); }
QAction* KKMain::menuEntry(const QString& menuName, int n) const { return m_menus->entry(menuName, n); }
QAction* KKMain::operationAction(int n) const { return m_menus->entry(QStringLiteral("Operation"), n); }
QAction* KKMain::toolbarAction(int n) const { return m_menus->toolbarAction(n); }

void KKMain::setToolScreen(ToolScreen tool, ToolOpener opener)
{
    if (opener)
        m_tools.insert(tool, std::move(opener));
    else
        m_tools.remove(tool);
}

void KKMain::runCommand(MenuCommand command)
{
    switch (command) {
    case MenuCommand::RefreshDatabase: refreshDatabase(); break;
    case MenuCommand::OpenHelp: openHelp(); break;
    case MenuCommand::Quit: closeProgram(); break;
    }
}

void KKMain::chooseReport(int reportNumber, const QString& caption)
{
    state().ReportNumber = reportNumber;
    m_reportCaption = caption;
    openTool(ToolScreen::Report);
}

void KKMain::openModule(ModuleId module)
{
    ProgramState& s = state();
    const ModuleDef* def = ModuleCatalogue::find(module);
    if (!s.moduleHost || !def)
        return;
    s.ModuleTable = QString();
    s.ModuleTable = def->table;
    s.ModuleFieldCount = def->fieldCount;
    s.ReportNumber = def->reportNumber;
    Guard([&] { s.moduleHost->openModule(def->screen); });
}

void KKMain::runOperation(Operation operation)
{
    if (ModuleHost* host = state().moduleHost)
        Guard([&] { host->runOperation(operation); });
}

void KKMain::openTool(ToolScreen tool)
{
    const auto it = m_tools.constFind(tool);
    if (it == m_tools.constEnd() || !*it)
        return;
    const ToolOpener opener = *it; // a copy: the opener may replace itself
    Guard([&] { opener(*this); });
}

void KKMain::refreshDatabase()
{
    try {
        ProgramState& s = state();
        if (!s.connection)
            throw AppError(DbErrors::NotOpen, QStringLiteral("Refresh DB"), QStringLiteral("No connection"));
        s.connection->refreshCache();
        Messages::current().notice(QStringLiteral("Done!"));
    } catch (const AppError& e) {
        LogError(e);
    } catch (const std::exception& e) {
        LogError(e);
    }
}

void KKMain::openHelp()
{
    const QString manual = state().HelpFile;
    if (!openInBrowser(QUrl::fromLocalFile(manual)))
        Messages::current().notice(QStringLiteral("No web browser could be started; the manual is %1").arg(manual));
}

// ---- Hooks ------------------------------------------------------------------------------

QString KKMain::properCase(const QString& text)
{
    QString result = text;
    bool wordStart = true;
    for (QChar& c : result) {
        if (c.isSpace()) {
            wordStart = true;
            continue;
        }
        c = wordStart ? c.toUpper() : c.toLower();
        wordStart = false;
    }
    return result;
}

void KKMain::mainLoadHook()
{
    const ProgramState& s = state();
    setStatusText(2, QStringLiteral("User:") + properCase(s.LoginId));
    setStatusText(3, s.EShort);
    showEnterpriseName(s.EShort);
}

// ---- Window events ----------------------------------------------------------------------

void KKMain::keepMaximized()
{
    if (!isVisible())
        return;
    const Qt::WindowStates now = windowState();
    if (now & Qt::WindowMinimized)
        return;
    if (now != Qt::WindowMaximized && now != (Qt::WindowMaximized | Qt::WindowActive))
        setWindowState(Qt::WindowMaximized);
}

void KKMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        keepMaximized();
}

void KKMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    keepMaximized();
}

void KKMain::closeEvent(QCloseEvent* event)
{
    ProgramState& s = state();
    // The open record screen closes first and runs its own close; then the connection. A screen
    // that refuses (a campaign still sending) keeps the program open.
    bool moduleClosed = true;
    if (s.moduleHost)
        Guard([&] { moduleClosed = s.moduleHost->closeActiveModule(); });
    if (!moduleClosed) {
        event->ignore();
        return;
    }
    if (s.connection && s.connection->isOpen())
        Guard([&] { s.connection->close(); });
    m_clock->stop();
    event->accept();
}
