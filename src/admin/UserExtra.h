#pragma once
#include "engine/ModuleExtra.h"

// KKUser: the administrator's row (id 1) always logs in as "Chief", and no other row may; a
// saved row that breaks the rule is put right at once.
class UserExtra : public ModuleExtra {
    Q_OBJECT
public:
    void hook(RecordScreen& screen, HookTag tag, Recordset* record) override;
};
