#pragma once
#include "engine/ModuleExtra.h"

// KKPreference: saved mail preferences take effect at once.
class PreferenceExtra : public ModuleExtra {
    Q_OBJECT
public:
    void hook(RecordScreen& screen, HookTag tag, Recordset* record) override;
};
