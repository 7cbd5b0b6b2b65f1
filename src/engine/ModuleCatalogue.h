#pragma once
#include "base/MainView.h"

#include <QString>
#include <QVector>

// What a field's box holds.
enum class FieldKind {
    Text,     // text as typed
    Date,     // a short date ("D")
    MasterId, // the id of a row of another table, its name shown beside ("M")
};

// One field of a record screen: box txtField(i) bound to column i of the module's table.
struct FieldDef {
    enum class Button { None, Cycle, PickList, Selector }; // "<", "+", ">"

    QString column;           // the table's column (CTitle, LMessage ...)
    QString caption;          // lblField(i)
    int maxLength = 0;        // the box never holds more characters
    FieldKind kind = FieldKind::Text;
    bool enabled = true;      // false: filled only by its button or by the engine
    bool locked = false;      // not written by SaveRecord
    bool rightAligned = false;
    bool masked = false;      // every character shown as "x"
    bool multiline = false;   // a multi-line box with a vertical scroll bar
    bool gapAfter = false;    // an empty row follows (field groups)
    Button button = Button::None;
    QString listCaption;      // lblList(i): the cycling choices "Mr/Mrs/Ms/Dr", or the design text
    QString pickListSource;   // "CCategory, EId From kmCustType"

    // The statement whose first column is the name shown beside a master id, up to the id
    // ("Select CCategory From kmCustType Where EId="), from the pick-list source; empty for
    // other fields.
    QString masterNameStatement() const;
};

// The main-window menu that opens a module.
enum class ModuleMenu { Transaction, Master, Admin };

// Which operations a module allows, and to whom.
enum class Permissions {
    Open,           // every operation; Delete as the customization allows
    SingleRow,      // one row: no Add, Delete or Xerox
    SingleRowAdmin, // one row, modified by the administrator only
    Users,          // the administrator adds, modifies and deletes (never row 1); no Xerox
};

// A record module: a screen bound to one table and driven by the record engine. The catalogue
// holds the one description of each module; its own behaviour (a ModuleExtra) lives in its folder.
struct ModuleDef {
    QString screen;           // "KKCustomer"
    QString caption;          // "Customers"
    QString table;            // "ktCustomer"
    int fieldCount = 0;       // the highest field index (ModuleFieldCount)
    int reportNumber = 0;     // ReportNumber; 0: no report
    ModuleMenu menu = ModuleMenu::Transaction;
    int menuEntry = 0;        // the entry's position in its menu (separators count)
    QString menuCaption;      // the entry's caption ("Preferences")
    Permissions permissions = Permissions::Open;
    QVector<FieldDef> fields; // 0..fieldCount

    // The index of the field bound to a column ("LMessage" -> 4); -1 when there is none.
    int indexOf(const QString& column) const;
};

namespace ModuleCatalogue {
const QVector<ModuleDef>& modules();
const ModuleDef* find(const QString& screen);
// The module a menu entry opens, or nullptr.
const ModuleDef* find(ModuleMenu menu, int entry);
// The menu's plain name ("Transaction").
QString menuName(ModuleMenu menu);
// Every module as the main window's menus show it.
QVector<ModuleMenuEntry> menuEntries();
}
