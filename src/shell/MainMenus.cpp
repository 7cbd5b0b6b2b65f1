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
#include <vector>

namespace {
struct Entry {
    const char* caption; // "-" is a separator
    const char* shortcut = nullptr;
};

struct MenuTable {
    const char* name;
    const char* caption;
    std::vector<Entry> entries;
};

const MenuTable Menus[] = {
    {"Transaction", "&Transaction",
     {{"Customers"}, {"News"}, {"Leads"}, {"Surveys"}, {"-"}, {"Send News"}, {"Market Lead"}, {"Email Survey"},
      {"-"}, {"Survey Updates"}, {"-"}, {"Import.."}, {"Export.."}, {"-"}, {"Quit"}}},
    {"Operation", "&Operation",
     {{"Add", "Ctrl+A"}, {"Modify", "Ctrl+M"}, {"Delete", "Ctrl+D"}, {"-"}, {"Save", "Ctrl+S"},
      {"Xerox", "Ctrl+X"}, {"Cancel", "Ctrl+C"}, {"-"}, {"First", "Ctrl+F"}, {"Prior", "Ctrl+P"},
      {"Next", "Ctrl+N"}, {"Last", "Ctrl+L"}, {"-"}, {"Report", "Ctrl+R"}, {"Inquiry", "Ctrl+I"}, {"-"},
      {"Exit"}}},
    {"Utility", "&Utility", {{"Find && Replace"}, {"-"}, {"Refresh DB"}}},
    {"Report", "&Report",
     {{"Address List"}, {"Phone List"}, {"Email List"}, {"Print Labels"}, {"-"}, {"News Print"}, {"Lead Print"},
      {"Survey Print"}, {"-"}, {"SendNews List"}, {"MarketLead List"}, {"EmailSurvey List"}, {"-"},
      {"Type Summary"}, {"Country Summary"}, {"Survey Analysis"}}},
    {"Master", "&Master", {{"Customer Type"}, {"News Type"}}},
    {"Admin", "&Admin",
     {{"Enterprise"}, {"Users"}, {"-"}, {"Preferences"}, {"-"}, {"Customize"}, {"Options"}}},
    {"Help", "&Help", {{"Contents"}, {"Specifics"}, {"-"}, {"About"}}},
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

MainMenus::MainMenus(QMainWindow* window) : QObject(window), m_window(window)
{
    QMenuBar* bar = window->menuBar();
    for (const MenuTable& table : Menus) {
        Menu m;
        m.name = QString::fromLatin1(table.name);
        m.menu = bar->addMenu(QString::fromLatin1(table.caption));
        m.menu->setObjectName(QStringLiteral("mnu") + m.name);
        m.menu->menuAction()->setObjectName(QStringLiteral("mnu") + m.name);
        int n = 0;
        for (const Entry& e : table.entries) {
            ++n;
            QAction* action = nullptr;
            if (qstrcmp(e.caption, "-") == 0) {
                action = m.menu->addSeparator();
            } else {
                action = m.menu->addAction(QString::fromLatin1(e.caption));
                if (e.shortcut) {
                    action->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
                    // Also a window action, so the key works whatever the menu's own state.
                    window->addAction(action);
                }
                const QString menuName = m.name;
                connect(action, &QAction::triggered, this, [this, menuName, n] { emit entryChosen(menuName, n); });
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
            connect(action, &QAction::triggered, this, [this, n] { emit toolbarClicked(n); });
        }
        action->setObjectName(QStringLiteral("tlbMain_%1").arg(n));
        m_buttons << action;
    }

    qApp->installEventFilter(this);
}

QStringList MainMenus::menuNames()
{
    QStringList names;
    for (const MenuTable& table : Menus)
        names << QString::fromLatin1(table.name);
    return names;
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

int MainMenus::entryCount(const QString& menuName) const
{
    const Menu* m = find(menuName);
    return m ? int(m->entries.size()) : 0;
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
