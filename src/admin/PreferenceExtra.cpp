#include "admin/PreferenceExtra.h"

#include "base/Program.h"

KORVINA_MODULE_EXTRA(ModuleId::Preference, PreferenceExtra);

void PreferenceExtra::hook(RecordScreen&, HookTag tag, Recordset*)
{
    if (tag == HookTag::DataSave)
        Guard(LoadMailPreferences);
}
