#include "shell/MainMenus.h"

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
#include <algorithm>
#include <vector>

namespace {
using C = MenuCommand;

struct Entry {
    int position;        // the entry's number in its menu (separators count)
    const char* caption; // "-" is a separator
    MenuCommand command = C::None;
    int argument = 0;
    const char* shortcut = nullptr;
};

struct MenuTable {
    const char* name;
    const char* caption;
    std::vector<Entry> entries; // the module entries join these in their places
};

constexpr int tool(ToolScreen t) { return int(t); }

const MenuTable Menus[] = {
    {"Transaction", "&Transaction",
     {{5, "-"}, {9, "-"}, {11, "-"}, {12, "Import..", C::OpenTool, tool(ToolScreen::Import)},
      {13, "Export..", C::OpenTool, tool(ToolScreen::Export)}, {14, "-"}, {15, "Quit", C::Quit}}},
    {"Operation", "&Operation",
     {{1, "Add", C::RunOperation, 1, "Ctrl+A"}, {2, "Modify", C::RunOperation, 2, "Ctrl+M"},
      {3, "Delete", C::RunOperation, 3, "Ctrl+D"}, {4, "-"}, {5, "Save", C::RunOperation, 5, "Ctrl+S"},
      {6, "Xerox", C::RunOperation, 6, "Ctrl+X"}, {7, "Cancel", C::RunOperation, 7, "Ctrl+C"}, {8, "-"},
      {9, "First", C::RunOperation, 9, "Ctrl+F"}, {10, "Prior", C::RunOperation, 10, "Ctrl+P"},
      {11, "Next", C::RunOperation, 11, "Ctrl+N"}, {12, "Last", C::RunOperation, 12, "Ctrl+L"}, {13, "-"},
      {14, "Report", C::RunOperation, 14, "Ctrl+R"}, {15, "Inquiry", C::RunOperation, 15, "Ctrl+I"}, {16, "-"},
      {17, "Exit", C::RunOperation, 17}}},
    {"Utility", "&Utility",
     {{1, "Find && Replace", C::OpenTool, tool(ToolScreen::FindReplace)}, {2, "-"},
      {3, "Refresh DB", C::RefreshDatabase}, {4, "-"},
      {5, "Process Replies", C::OpenTool, tool(ToolScreen::ProcessReplies)}}},
    {"Report", "&Report",
     {{1, "Address List", C::ChooseReport, 41}, {2, "Phone List", C::ChooseReport, 42},
      {3, "Email List", C::ChooseReport, 43}, {4, "Print Labels", C::ChooseReport, 44}, {5, "-"},
      {6, "News Print", C::ChooseReport, 46}, {7, "Lead Print", C::ChooseReport, 47},
      {8, "Survey Print", C::ChooseReport, 48}, {9, "-"}, {10, "SendNews List", C::ChooseReport, 50},
      {11, "MarketLead List", C::ChooseReport, 51}, {12, "EmailSurvey List", C::ChooseReport, 52}, {13, "-"},
      {14, "Type Summary", C::ChooseReport, 54}, {15, "Country Summary", C::ChooseReport, 55},
      {16, "Survey Analysis", C::ChooseReport, 56}}},
    {"Master", "&Master", {{3, "-"}}},
    {"Admin", "&Admin", {{3, "-"}, {5, "-"}, {7, "Options", C::OpenTool, tool(ToolScreen::Options)}}},
    {"Help", "&Help",
     {{1, "Contents", C::OpenHelp}, {2, "Specifics", C::OpenTool, tool(ToolScreen::Specifics)}, {3, "-"},
      {4, "About", C::OpenTool, tool(ToolScreen::About)}}},
};

// Toolbar tool tips; nullptr marks a separator.
const char* const ButtonTips[17] = {
    "Add (Ctrl-A)",   "Modify (Ctrl-M)", "Delete (Ctrl-D)", nullptr,          "Save (Ctrl-S)",   "Xerox (Ctrl-X)",
    "Cancel (Ctrl-C)", nullptr,          "First (Ctrl-F)",  "Prior (Ctrl-P)", "Next (Ctrl-N)",   "Last (Ctrl-L)",
    nullptr,          "Report (Ctrl-R)", "Inquiry (Ctrl-I)", nullptr,         "Exit (ESC)",
};

// Small drawn images for the buttons the style has no picture for.
QIcon drawnIcon(int n, const QColor& ink)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (n) {
    case 1: // Add: a plus
        p.drawLine(12, 4, 12, 20);
        p.drawLine(4, 12, 20, 12);
        break;
    case 2: { // Modify: a pencil
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
    case 6: // Xerox: two overlapping sheets
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

QIcon buttonIcon(int n, QStyle* style, const QColor& ink)
{
    switch (n) {
    case 3: return style->standardIcon(QStyle::SP_TrashIcon);
    case 5: return style->standardIcon(QStyle::SP_DialogSaveButton);
    case 7: return style->standardIcon(QStyle::SP_DialogCancelButton);
    case 9: return style->standardIcon(QStyle::SP_MediaSkipBackward);
    case 10: return style->standardIcon(QStyle::SP_ArrowLeft);
    case 11: return style->standardIcon(QStyle::SP_ArrowRight);
    case 12: return style->standardIcon(QStyle::SP_MediaSkipForward);
    case 14: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    case 15: return style->standardIcon(QStyle::SP_FileDialogContentsView);
    case 17: return style->standardIcon(QStyle::SP_DialogCloseButton);
    default: return drawnIcon(n, ink);
    }
}
}

MainMenus::MainMenus(QMainWindow* window, const QVector<ModuleMenuEntry>& modules)
    : QObject(window), m_window(window)
{
    QMenuBar* bar = window->menuBar();
    for (const MenuTable& table : Menus) {
        Menu m;
        m.name = QString::fromLatin1(table.name);
        m.menu = bar->addMenu(QString::fromLatin1(table.caption));
        m.menu->setObjectName(QStringLiteral("mnu") + m.name);
        m.menu->menuAction()->setObjectName(QStringLiteral("mnu") + m.name);

        std::vector<Entry> entries = table.entries;
        for (int i = 0; i < modules.size(); ++i)
            if (modules.at(i).menu == m.name)
                entries.push_back({modules.at(i).position, nullptr, C::OpenModule, i});
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.position < b.position; });

        for (const Entry& e : entries) {
            const int n = e.position;
            QAction* action = nullptr;
            if (e.command == C::None) {
                action = m.menu->addSeparator();
            } else {
                const QString caption = e.command == C::OpenModule ? modules.at(e.argument).caption
                                                                   : QString::fromLatin1(e.caption);
                action = m.menu->addAction(caption);
                if (e.shortcut) {
                    action->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
                    // Also a window action, so the key works whatever the menu's own state.
                    window->addAction(action);
                }
                connect(action, &QAction::triggered, this,
                        [this, action, command = e.command, argument = e.argument] {
                            emit commandChosen(command, argument, action);
                        });
            }
            action->setObjectName(QStringLiteral("mnu%1_%2").arg(m.name).arg(n));
            m.entries << action;
        }
        m_menus << m;
    }

    m_toolbar = window->addToolBar(QStringLiteral("Operations"));
    m_toolbar->setObjectName(QStringLiteral("tlbMain"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const QColor ink = window->palette().color(QPalette::WindowText);
    for (int n = 1; n <= 17; ++n) {
        QAction* action = nullptr;
        if (!ButtonTips[n - 1]) {
            action = m_toolbar->addSeparator();
        } else {
            const QString tip = QString::fromLatin1(ButtonTips[n - 1]);
            action = m_toolbar->addAction(buttonIcon(n, window->style(), ink), operationAction(n)->text());
            action->setToolTip(tip);
            if (n == 17)
                action->setProperty("key", QStringLiteral("Exit"));
            if (QWidget* button = m_toolbar->widgetForAction(action)) {
                button->setObjectName(QStringLiteral("tlbMain_button_%1").arg(n));
                button->setAccessibleName(tip);
                button->setToolTip(tip);
            }
            connect(action, &QAction::triggered, this,
                    [this, action, n] { emit commandChosen(MenuCommand::RunOperation, n, action); });
        }
        action->setObjectName(QStringLiteral("tlbMain_%1").arg(n));
        m_buttons << action;
    }

    qApp->installEventFilter(this);
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
    for (QAction* action : find(QStringLiteral("Operation"))->entries)
        if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed)
            return true; // not accepted: the key goes on to the window's shortcuts
    return false;
}
