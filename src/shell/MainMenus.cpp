#include "shell/MainMenus.h"

#include "base/ReportCatalogue.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <utility>
#include <vector>

// One place of a menu: an entry of the main window's own, a separator, or the place one of the
// catalogues (or the operations) fills.
struct MainMenus::Item {
    enum class Kind { Separator, Tool, Command, Modules, Reports, Operations };
    Kind kind;
    const char* caption = nullptr;
    ToolScreen tool = ToolScreen::About;
    MenuCommand command = MenuCommand::Quit;
    ModuleMenu modules = ModuleMenu::Transaction;
};

namespace {
using Item = MainMenus::Item;
using K = Item::Kind;

Item separator() { return {K::Separator}; }
Item tool(const char* caption, ToolScreen t) { return {K::Tool, caption, t}; }
Item command(const char* caption, MenuCommand c) { return {K::Command, caption, {}, c}; }
Item modules(ModuleMenu menu) { return {K::Modules, nullptr, {}, {}, menu}; }

struct MenuTable {
    const char* name;
    const char* caption;
    std::vector<Item> items;
};

const MenuTable Menus[] = {
    {"Transaction", "&Transaction",
     {modules(ModuleMenu::Transaction), separator(), tool("Import..", ToolScreen::Import),
      tool("Export..", ToolScreen::Export), separator(), command("Quit", MenuCommand::Quit)}},
    {"Operation", "&Operation", {{K::Operations}}},
    {"Utility", "&Utility",
     {tool("Find && Replace", ToolScreen::FindReplace), separator(), command("Refresh DB", MenuCommand::RefreshDatabase),
      separator(), tool("Process Replies", ToolScreen::ProcessReplies)}},
    {"Report", "&Report", {{K::Reports}}},
    {"Master", "&Master", {modules(ModuleMenu::Master)}},
    // Options joins the last group of administration modules.
    {"Admin", "&Admin", {modules(ModuleMenu::Admin), tool("Options", ToolScreen::Options)}},
    {"Help", "&Help",
     {command("Contents", MenuCommand::OpenHelp), tool("Specifics", ToolScreen::Specifics), separator(),
      tool("About", ToolScreen::About)}},
};

// The Operation menu and the toolbar, entry for entry; a separator stands between the groups.
// The entries' positions are the operations' numbers.
struct OperationEntry {
    Operation operation;
    int group;
    const char* caption;
    const char* shortcut; // nullptr: none
    const char* tip;      // the toolbar button's
};
const OperationEntry OperationEntries[] = {
    {Operation::Add, 0, "Add", "Ctrl+A", "Add (Ctrl-A)"},
    {Operation::Modify, 0, "Modify", "Ctrl+M", "Modify (Ctrl-M)"},
    {Operation::Delete, 0, "Delete", "Ctrl+D", "Delete (Ctrl-D)"},
    {Operation::Save, 1, "Save", "Ctrl+S", "Save (Ctrl-S)"},
    {Operation::Xerox, 1, "Xerox", "Ctrl+X", "Xerox (Ctrl-X)"},
    {Operation::Cancel, 1, "Cancel", "Ctrl+C", "Cancel (Ctrl-C)"},
    {Operation::First, 2, "First", "Ctrl+F", "First (Ctrl-F)"},
    {Operation::Prior, 2, "Prior", "Ctrl+P", "Prior (Ctrl-P)"},
    {Operation::Next, 2, "Next", "Ctrl+N", "Next (Ctrl-N)"},
    {Operation::Last, 2, "Last", "Ctrl+L", "Last (Ctrl-L)"},
    {Operation::Report, 3, "Report", "Ctrl+R", "Report (Ctrl-R)"},
    {Operation::Inquiry, 3, "Inquiry", "Ctrl+I", "Inquiry (Ctrl-I)"},
    {Operation::Exit, 4, "Exit", nullptr, "Exit (ESC)"},
};

// Small drawn images for the buttons the style has no picture for.
QIcon drawnIcon(Operation operation, const QColor& ink)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (operation) {
    case Operation::Add: // Add: a plus
        p.drawLine(12, 4, 12, 20);
        p.drawLine(4, 12, 20, 12);
        break;
    case Operation::Modify: { // Modify: a pencil
        QPainterPath path;
        path.moveTo(5, 19);
        path.lineTo(7, 13);
        path.lineTo(16, 4);
        path.lineTo(20, 8);
        path.lineTo(11, 17);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case Operation::Xerox: // Xerox: two overlapping sheets
        p.setPen(QPen(ink, 1.8));
        p.drawRect(4, 4, 11, 13);
        p.fillRect(9, 8, 11, 13, Qt::white);
        p.drawRect(9, 8, 11, 13);
        break;
    default:
        break;
    }
    return QIcon(pixmap);
}

QIcon buttonIcon(Operation operation, QStyle* style, const QColor& ink)
{
    switch (operation) {
    case Operation::Delete: return style->standardIcon(QStyle::SP_TrashIcon);
    case Operation::Save: return style->standardIcon(QStyle::SP_DialogSaveButton);
    case Operation::Cancel: return style->standardIcon(QStyle::SP_DialogCancelButton);
    case Operation::First: return style->standardIcon(QStyle::SP_MediaSkipBackward);
    case Operation::Prior: return style->standardIcon(QStyle::SP_ArrowLeft);
    case Operation::Next: return style->standardIcon(QStyle::SP_ArrowRight);
    case Operation::Last: return style->standardIcon(QStyle::SP_MediaSkipForward);
    case Operation::Report: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    case Operation::Inquiry: return style->standardIcon(QStyle::SP_FileDialogContentsView);
    case Operation::Exit: return style->standardIcon(QStyle::SP_DialogCloseButton);
    default: return drawnIcon(operation, ink);
    }
}
}

MainMenus::MainMenus(QMainWindow* window) : QObject(window), m_window(window)
{
    QMenuBar* bar = window->menuBar();
    for (const MenuTable& table : Menus) {
        Menu m;
        m.name = QString::fromLatin1(table.name);
        m.menu = bar->addMenu(QString::fromLatin1(table.caption));
        m.menu->setObjectName(QStringLiteral("mnu") + m.name);
        m.menu->menuAction()->setObjectName(QStringLiteral("mnu") + m.name);
        for (const Item& item : table.items)
            addItem(m, item);
        m_menus << m;
    }
    buildToolbar();
    qApp->installEventFilter(this);
}

void MainMenus::addItem(Menu& m, const Item& item)
{
    switch (item.kind) {
    case K::Separator: addSeparator(m); break;
    case K::Tool:
        connect(addEntry(m, QString::fromLatin1(item.caption)), &QAction::triggered, this,
                [this, t = item.tool] { emit toolChosen(t); });
        break;
    case K::Command:
        connect(addEntry(m, QString::fromLatin1(item.caption)), &QAction::triggered, this,
                [this, c = item.command] { emit commandChosen(c); });
        break;
    case K::Modules: addModules(m, item.modules); break;
    case K::Reports: addReports(m); break;
    case K::Operations: addOperations(m); break;
    }
}

QAction* MainMenus::addEntry(Menu& m, const QString& caption)
{
    QAction* action = m.menu->addAction(caption);
    m.entries << action;
    action->setObjectName(QStringLiteral("mnu%1_%2").arg(m.name).arg(m.entries.size()));
    return action;
}

void MainMenus::addSeparator(Menu& m)
{
    QAction* action = m.menu->addSeparator();
    m.entries << action;
    action->setObjectName(QStringLiteral("mnu%1_%2").arg(m.name).arg(m.entries.size()));
}

void MainMenus::addModules(Menu& m, ModuleMenu which)
{
    const ModuleDef* previous = nullptr;
    for (const ModuleDef& module : ModuleCatalogue::modules()) {
        if (module.menu != which)
            continue;
        if (previous && previous->menuGroup != module.menuGroup)
            addSeparator(m);
        previous = &module;
        connect(addEntry(m, module.menuCaption), &QAction::triggered, this,
                [this, id = module.id] { emit moduleChosen(id); });
    }
}

// Entry n is report ReportCatalogue::kMenuBase + n; the numbers no report has are separators.
void MainMenus::addReports(Menu& m)
{
    for (const ReportDef& report : ReportCatalogue::reports()) {
        while (ReportCatalogue::kMenuBase + int(m.entries.size()) + 1 < report.number)
            addSeparator(m);
        connect(addEntry(m, report.caption), &QAction::triggered, this,
                [this, number = report.number, caption = report.caption] { emit reportChosen(number, caption); });
    }
}

void MainMenus::addOperations(Menu& m)
{
    const OperationEntry* previous = nullptr;
    for (const OperationEntry& e : OperationEntries) {
        if (previous && previous->group != e.group)
            addSeparator(m);
        previous = &e;
        QAction* action = addEntry(m, QString::fromLatin1(e.caption));
        if (e.shortcut) {
            action->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
            // Also a window action, so the key works whatever the menu's own state.
            m_window->addAction(action);
        }
        connect(action, &QAction::triggered, this, [this, op = e.operation] { emit operationChosen(op); });
        m_operationEntries.insert(e.operation, action);
    }
}

void MainMenus::buildToolbar()
{
    m_toolbar = m_window->addToolBar(QStringLiteral("Operations"));
    m_toolbar->setObjectName(QStringLiteral("tlbMain"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const QColor ink = m_window->palette().color(QPalette::WindowText);
    const OperationEntry* previous = nullptr;
    for (const OperationEntry& e : OperationEntries) {
        if (previous && previous->group != e.group) {
            m_buttons << m_toolbar->addSeparator();
            m_buttons.last()->setObjectName(QStringLiteral("tlbMain_%1").arg(m_buttons.size()));
        }
        previous = &e;
        const QString tip = QString::fromLatin1(e.tip);
        QAction* action = m_toolbar->addAction(buttonIcon(e.operation, m_window->style(), ink), QString::fromLatin1(e.caption));
        m_buttons << action;
        const int n = int(m_buttons.size());
        action->setObjectName(QStringLiteral("tlbMain_%1").arg(n));
        action->setToolTip(tip);
        if (e.operation == Operation::Exit)
            action->setProperty("key", QStringLiteral("Exit"));
        if (QWidget* button = m_toolbar->widgetForAction(action)) {
            button->setObjectName(QStringLiteral("tlbMain_button_%1").arg(n));
            button->setAccessibleName(tip);
            button->setToolTip(tip);
        }
        connect(action, &QAction::triggered, this, [this, op = e.operation] { emit operationChosen(op); });
        m_operationButtons.insert(e.operation, action);
    }
}

QVector<Operation> MainMenus::operations()
{
    QVector<Operation> all;
    for (const OperationEntry& e : OperationEntries)
        all << e.operation;
    return all;
}

const MainMenus::Menu* MainMenus::find(const QString& name) const
{
    const QString plain = name.startsWith(QLatin1String("mnu")) ? name.mid(3) : name;
    for (const Menu& m : m_menus)
        if (m.name.compare(plain, Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

QMenu* MainMenus::menu(const QString& name) const
{
    const Menu* m = find(name);
    return m ? m->menu : nullptr;
}

QAction* MainMenus::entry(const QString& menuName, int n) const
{
    const Menu* m = find(menuName);
    return m && n >= 1 && n <= m->entries.size() ? m->entries.at(n - 1) : nullptr;
}

QAction* MainMenus::toolbarAction(int n) const
{
    return n >= 1 && n <= m_buttons.size() ? m_buttons.at(n - 1) : nullptr;
}

bool MainMenus::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (QAction* action : std::as_const(m_operationEntries))
        if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed)
            return true; // not accepted: the key goes on to the window's shortcuts
    return false;
}
