#pragma once
#include "engine/ModuleExtra.h"

// KKEnterprise: a saved enterprise row becomes the program's EShort and EPasscd at once, and
// the main window shows the new short name.
class EnterpriseExtra : public ModuleExtra {
    Q_OBJECT
public:
    void hook(RecordScreen& screen, HookTag tag, Recordset* record) override;
};
