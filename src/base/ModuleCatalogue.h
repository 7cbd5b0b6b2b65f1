#pragma once
#include "base/Schema.h"

#include <QString>
#include <QStringList>
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

// Every record module, by which its entry is found and its own behaviour attached.
enum class ModuleId {
    Customer,
    News,
    Lead,
    Survey,
    SendNews,
    MarketLead,
    EmailSurvey,
    SurveyUpdate,
    CustomerType,
    NewsType,
    Suppression,
    Enterprise,
    User,
    Preference,
    Customize,
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
// holds the one description of each module: its table, the menus and the dashboard are made
// from it, and its own behaviour (a ModuleExtra) lives in its folder, registered under its id.
struct ModuleDef {
    ModuleId id = ModuleId::Customer;
    QString screen;           // "KKCustomer"
    QString caption;          // "Customers"
    QString table;            // "ktCustomer"
    int fieldCount = 0;       // the highest field index (ModuleFieldCount)
    int reportNumber = 0;     // ReportNumber; 0: no report
    ModuleMenu menu = ModuleMenu::Transaction;
    int menuGroup = 0;        // a separator stands between the groups of a menu
    QString menuCaption;      // the entry's caption ("Preferences")
    Permissions permissions = Permissions::Open;
    QStringList paneTitles;   // the dashboard pane's field titles ("Id:" ...); none: no pane
    QVector<FieldDef> fields; // 0..fieldCount
    QVector<SchemaColumn> columns; // the table's: column i is field i's
    int since = 1;            // the schema version that added the table

    // The index of the field bound to a column ("LMessage" -> 4); -1 when there is none.
    int indexOf(const QString& column) const;
};

namespace ModuleCatalogue {
// Every module, in the order of the menus (and of the dashboard's panes).
const QVector<ModuleDef>& modules();
const ModuleDef* find(const QString& screen);
// The module's entry; nullptr only for an id the catalogue has forgotten.
const ModuleDef* find(ModuleId id);
// The modules with a dashboard pane, in pane order.
QVector<const ModuleDef*> dashboardModules();
}
