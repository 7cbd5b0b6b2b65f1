#pragma once
#include "base/ModuleCatalogue.h"
#include "base/Vocabulary.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// The modal tool screens the menus open; the parts that own them plug them into the main
// window (KKMain::setToolScreen).
enum class ToolScreen { Import, Export, FindReplace, Report, Options, Specifics, About, ProcessReplies };

// The menu entries that do something of the main window's own.
enum class MenuCommand { RefreshDatabase, OpenHelp, Quit };

// The main window's menu bar and operation toolbar tlbMain. The record modules and the reports
// take their entries from the catalogues, with a separator between the groups a catalogue
// gives; entries are numbered by their position within their menu (separators count).
class MainMenus : public QObject {
    Q_OBJECT
public:
    // Builds the seven menus into window's menu bar and the toolbar into its top area.
    explicit MainMenus(QMainWindow* window);

    // A top menu by its object name ("mnuOperation") or its plain name ("Operation").
    QMenu* menu(const QString& name) const;
    // Entry n (1-based) of a menu; separators included; nullptr when out of range.
    QAction* entry(const QString& menuName, int n) const;
    // Toolbar button n (1..17); the separators 4, 8, 13 and 16 are separator actions.
    QAction* toolbarAction(int n) const;
    // The Operation menu's entry and the toolbar's button for an operation.
    QAction* operationEntry(Operation operation) const { return m_operationEntries.value(operation); }
    QAction* operationButton(Operation operation) const { return m_operationButtons.value(operation); }
    QToolBar* toolbar() const { return m_toolbar; }

    // Every operation, in the order of the Operation menu.
    static QVector<Operation> operations();

    // One place of a menu (defined beside the menus' tables).
    struct Item;

signals:
    void moduleChosen(ModuleId module);
    void reportChosen(int reportNumber, const QString& caption);
    void operationChosen(Operation operation);
    void toolChosen(ToolScreen tool);
    void commandChosen(MenuCommand command);

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
    void addItem(Menu& m, const Item& item);
    QAction* addEntry(Menu& m, const QString& caption);
    void addSeparator(Menu& m);
    void addModules(Menu& m, ModuleMenu which);
    void addReports(Menu& m);
    void addOperations(Menu& m);
    void buildToolbar();

    QMainWindow* m_window;
    QVector<Menu> m_menus;
    QVector<QAction*> m_buttons;
    QHash<Operation, QAction*> m_operationEntries;
    QHash<Operation, QAction*> m_operationButtons;
    QToolBar* m_toolbar = nullptr;
};
