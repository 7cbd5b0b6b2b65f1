#pragma once
#include "engine/ModuleExtra.h"

// KKSuppression, the suppression list: an entry typed in is "Manual" and "by hand" until
// the user says otherwise; an address must look like one and be on the list only once,
// letter case aside.
class SuppressionExtra : public ModuleExtra {
    Q_OBJECT
public:
    bool validate(RecordScreen& screen) override;
    void hook(RecordScreen& screen, HookTag tag, Recordset* record) override;
};
