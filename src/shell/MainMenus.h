#pragma once
#include "base/MainView.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// The modal tool screens the menus open; the parts that own them plug them into the main
// window (KKMain::setToolScreen).
enum class ToolScreen { Import, Export, FindReplace, Report, Options, Specifics, About, ProcessReplies };

// What a menu entry or toolbar button does; its argument says which one.
enum class MenuCommand {
    None,            // a separator
    OpenModule,      // argument: the index of the module in the list the menus were built from
    RunOperation,    // argument: the Operation's number
    OpenTool,        // argument: the ToolScreen
    ChooseReport,    // argument: the ReportNumber (40 + the entry's number)
    RefreshDatabase,
    OpenHelp,
    Quit,
};

// The main window's menu bar and operation toolbar tlbMain. Entries are numbered by their
// position within their menu (separators count); each carries the command it stands for, and
// choosing it emits that command.
class MainMenus : public QObject {
    Q_OBJECT
public:
    // Builds the seven menus into window's menu bar and the toolbar into its top area. The
    // record modules take their places in the Transaction, Master and Admin menus.
    MainMenus(QMainWindow* window, const QVector<ModuleMenuEntry>& modules);


    // A top menu by its object name ("mnuOperation") or its plain name ("Operation").
    QMenu* menu(const QString& name) const;
    // Entry n (1-based) of a menu; separators included; nullptr when out of range.
    QAction* entry(const QString& menuName, int n) const;
    QAction* operationAction(int n) const { return entry(QStringLiteral("Operation"), n); }
    // Toolbar button n (1..17); the separators 4, 8, 13 and 16 are separator actions.
    QAction* toolbarAction(int n) const;
    QToolBar* toolbar() const { return m_toolbar; }

signals:
    // A menu entry or toolbar button was chosen.
    void commandChosen(MenuCommand command, int argument, QAction* action);

protected:
    // Keeps Ctrl+C, Ctrl+X, Ctrl+A ... for the operations while a text box of the window has
    // the focus (a text box would otherwise take them for the clipboard and selection).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Menu {
        QString name;
        QMenu* menu = nullptr;
        QVector<QAction*> entries;
    };
    const Menu* find(const QString& name) const;

    QMainWindow* m_window;
    QVector<Menu> m_menus;
    QVector<QAction*> m_buttons;
    QToolBar* m_toolbar = nullptr;
};
