#include "engine/ModuleExtra.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/Messages.h"
#include "base/MainView.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QLabel>

namespace Engine {

void RunModuleHook(HookTag tag)
{
    ProgramState& s = state();
    if (tag == HookTag::MainLoad) {
        if (s.mainView)
            s.mainView->mainLoadHook();
        return;
    }
    RecordScreen* screen = activeScreen();
    if (!screen)
        return;
    // Every master id shows its name beside it.
    if (tag == HookTag::DataLoad)
        for (int i = 0; i <= screen->fieldCount(); ++i)
            if (const QString sql = screen->def().fields.at(i).masterNameStatement(); !sql.isEmpty())
                ShowMasterName(sql, i);
    if (ModuleExtra* extra = screen->extra())
        Guard([&] { extra->hook(*screen, tag, s.RecordRecordset.isOpen() ? &s.RecordRecordset : nullptr); });
}

void ShowMasterName(const QString& sql, int i)
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    QLabel* label = screen ? screen->listLabel(i) : nullptr;
    if (!label)
        return;
    label->clear();
    const QString value = screen->text(i);
    if (value.isEmpty())
        return;
    QString statement = sql + value;
    if (sql.endsWith(QLatin1Char('\'')))
        statement += QLatin1Char('\'');
    Recordset r;
    Guard([&] {
        r.open(statement, *s.connection, CursorType::Dynamic, LockType::ReadOnly);
        if (!r.eof())
            label->setText(r.field(0).text());
    });
    Guard([&] {
        if (r.isOpen())
            r.close();
    });
}

bool CheckPermission(Operation n)
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen)
        return true;
    const Permissions p = screen->def().permissions;
    const bool single = p == Permissions::SingleRow || p == Permissions::SingleRowAdmin;
    const bool users = p == Permissions::Users;
    const bool admin = s.isAdministrator();
    auto refuse = [](const char* notice) {
        Messages::current().notice(QString::fromLatin1(notice));
        return false;
    };
    switch (n) {
    case Operation::Add:
        if (single || (users && !admin))
            return refuse("Add Disabled!");
        break;
    case Operation::Modify:
        if ((p == Permissions::SingleRowAdmin || users) && !admin)
            return refuse("Modify Disabled!");
        break;
    case Operation::Delete:
        if (single || (users && (!admin || screen->text(0).trimmed() == QLatin1String("1"))))
            return refuse("Delete Disabled!");
        if (!users && s.CAllowDele == QLatin1String("N"))
            return refuse("Delete Denied!");
        break;
    case Operation::Xerox:
        if (single || users)
            return refuse("Xerox Disabled!");
        break;
    default: break;
    }
    return true;
}

}
