#include "admin/PreferenceExtra.h"

#include "base/Program.h"

void PreferenceExtra::hook(RecordScreen&, HookTag tag, Recordset*)
{
    if (tag == HookTag::DataSave)
        Guard(LoadMailPreferences);
}
