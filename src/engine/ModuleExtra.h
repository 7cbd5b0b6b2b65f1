#pragma once
#include "base/ModuleCatalogue.h"
#include "base/Vocabulary.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class RecordScreen;
class Recordset;

// What a record module adds to the generic screen: its own widgets (merge list, lead editor,
// swatches, script button, send button) and its share of the hooks. One instance per open
// screen, made by the factory registered beside its class (KORVINA_MODULE_EXTRA).
class ModuleExtra : public QObject {
    Q_OBJECT
public:
    ~ModuleExtra() override = default;
    // Called once after the generic screen is built and before the module opens.
    virtual void attach(RecordScreen& screen) { Q_UNUSED(screen); }
    // False while the module is busy with work the screen must outlive (a campaign run).
    virtual bool canClose() const { return true; }
    // A click on cmdList(i); return true when the module handled it itself.
    virtual bool listButton(RecordScreen& screen, int index) { Q_UNUSED(screen); Q_UNUSED(index); return false; }
    // Before the fields are checked at Save; false refuses the save (the module has said why).
    virtual bool validate(RecordScreen& screen) { Q_UNUSED(screen); return true; }
    // DataLoad, DataInit and DataSave; record is RecordRecordset when open, else nullptr.
    virtual void hook(RecordScreen& screen, HookTag tag, Recordset* record)
    {
        Q_UNUSED(screen); Q_UNUSED(tag); Q_UNUSED(record);
    }
};

using ModuleExtraFactory = std::function<std::unique_ptr<ModuleExtra>()>;

// The extras of every module, each registered once in the file that defines it:
//   KORVINA_MODULE_EXTRA(ModuleId::News, NewsExtra);
// The record engine gives a module's screens the extra registered under its id.
namespace ModuleExtras {
// Registers a module's extra; always true (a registration runs as a static initialiser).
bool add(ModuleId module, ModuleExtraFactory factory);
const QHash<ModuleId, ModuleExtraFactory>& all();
}

#define KORVINA_MODULE_EXTRA(moduleId, Extra)                                                                   \
    [[maybe_unused]] static const bool korvinaModuleExtraRegistered =                                         \
        ModuleExtras::add(moduleId, [] { return std::make_unique<Extra>(); })
