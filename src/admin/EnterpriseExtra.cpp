#include "admin/EnterpriseExtra.h"

#include "base/MainView.h"
#include "base/Program.h"
#include "base/ProgramState.h"

KORVINA_MODULE_EXTRA(ModuleId::Enterprise, EnterpriseExtra);

void EnterpriseExtra::hook(RecordScreen&, HookTag tag, Recordset* record)
{
    if (tag != HookTag::DataSave || !record)
        return;
    ProgramState& s = state();
    Guard([&] {
        s.EShort = record->field(QStringLiteral("EShort")).text();
        s.EPasscd = record->field(QStringLiteral("EPasscd")).text();
    });
    if (s.mainView) {
        s.mainView->showEnterpriseName(s.EShort);
        s.mainView->setStatusText(3, s.EShort);
    }
}
