#pragma once
#include <QString>
#include <QVector>

// One field of a record screen: box txtField(i) bound to column i of the module's table.
struct FieldDef {
    enum class Button { None, Cycle, PickList, Selector }; // "<", "+", ">"

    QString caption;          // lblField(i)
    int maxLength = 0;        // the box never holds more characters
    QChar kind;               // 'D' date, 'M' master id, null: text
    bool enabled = true;      // false: filled only by its button or by the engine
    bool locked = false;      // not written by SaveRecord
    bool rightAligned = false;
    bool masked = false;      // every character shown as "x"
    bool multiline = false;   // a multi-line box with a vertical scroll bar
    bool gapAfter = false;    // an empty row follows (field groups)
    Button button = Button::None;
    QString listCaption;      // lblList(i): the cycling choices "Mr/Mrs/Ms/Dr", or the design text
    QString pickListSource;   // "CCategory, EId From kmCustType"
};

// A record module: a screen bound to one table and driven by the record engine.
struct ModuleDef {
    QString screen;           // "KKCustomer"
    QString caption;          // "Customers"
    QString table;            // "ktCustomer"
    int fieldCount = 0;       // the highest field index (ModuleFieldCount)
    int reportNumber = 0;
    QVector<FieldDef> fields; // 0..fieldCount
};

namespace ModuleCatalogue {
const QVector<ModuleDef>& modules();
const ModuleDef* find(const QString& screen);
}
