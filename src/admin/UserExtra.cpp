#include "admin/UserExtra.h"

#include "base/Program.h"
#include "base/ProgramState.h"
#include "engine/RecordScreen.h"
#include "platform/Recordset.h"

KORVINA_MODULE_EXTRA(ModuleId::User, UserExtra);

void UserExtra::hook(RecordScreen& screen, HookTag tag, Recordset* record)
{
    if (tag != HookTag::DataSave || !record)
        return;
    Recordset& row = *record;
    Guard([&] {
        const qint64 id = row.field(QStringLiteral("EId")).value().toLongLong();
        const QString login = row.field(QStringLiteral("ULogin")).text();
        if (id == 1 && !isAdministratorLogin(login)) {
            row.field(QStringLiteral("ULogin")).setValue(QString(AdministratorLogin));
            row.update();
        }
    });
    Guard([&] {
        const qint64 id = row.field(QStringLiteral("EId")).value().toLongLong();
        const QString login = row.field(QStringLiteral("ULogin")).text();
        if (id != 1 && isAdministratorLogin(login)) {
            row.field(QStringLiteral("ULogin")).setValue(login + screen.text(0).trimmed());
            row.update();
        }
    });
}
