#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

// The main window's menu bar and operation toolbar tlbMain. Entries are numbered by their
// position within their menu (separators count), which is what the window dispatches on.
class MainMenus : public QObject {
    Q_OBJECT
public:
    // Builds the seven menus into window's menu bar and the toolbar into its top area.
    explicit MainMenus(QMainWindow* window);

    // The top menus in menu-bar order: "Transaction", "Operation", ... "Help".
    static QStringList menuNames();

    // A top menu by its object name ("mnuOperation") or its plain name ("Operation").
    QMenu* menu(const QString& name) const;
    // Entry n (1-based) of a menu; separators included; nullptr when out of range.
    QAction* entry(const QString& menuName, int n) const;
    int entryCount(const QString& menuName) const;
    QAction* operationAction(int n) const { return entry(QStringLiteral("Operation"), n); }
    // Toolbar button n (1..17); the separators 4, 8, 13 and 16 are separator actions.
    QAction* toolbarAction(int n) const;
    QToolBar* toolbar() const { return m_toolbar; }

signals:
    // A menu entry was chosen: its menu's plain name and its number.
    void entryChosen(const QString& menuName, int n);
    // Toolbar button n was clicked.
    void toolbarClicked(int n);

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
