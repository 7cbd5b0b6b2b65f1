#include "engine/ModuleExtra.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "platform/Messages.h"
#include "shell/MainView.h"
#include "shell/Program.h"
#include "shell/ProgramState.h"

#include <QLabel>

namespace Engine {

namespace {
const QString typeName = QStringLiteral("Select CCategory From kmCustType Where EId=");

// The names shown beside master ids, by screen: (statement, field) pairs.
QVector<QPair<QString, int>> masterNames(const QString& screen)
{
    if (screen == QLatin1String("KKCustomer"))
        return {{typeName, 18}};
    if (screen == QLatin1String("KKNews"))
        return {{QStringLiteral("Select NCategory From kmNewsType Where EId="), 2}};
    if (screen == QLatin1String("KKSNews"))
        return {{QStringLiteral("Select NReference From ktNews Where EId="), 2}, {typeName, 3}};
    if (screen == QLatin1String("KKMLead"))
        return {{QStringLiteral("Select LReference From ktLead Where EId="), 2}, {typeName, 3}};
    if (screen == QLatin1String("KKESurvey"))
        return {{QStringLiteral("Select SName From ktSurvey Where EId="), 2}, {typeName, 3}};
    if (screen == QLatin1String("KKSUpdate"))
        return {{QStringLiteral("Select SName From ktSurvey Where EId="), 2}};
    return {};
}

// Saving a user: the administrator row always logs in as "Chief", and no other row may.
void userRule(RecordScreen& screen, Recordset& row)
{
    Guard([&] {
        const qint64 id = row.field(QStringLiteral("EId")).value().toLongLong();
        const QString login = row.field(QStringLiteral("ULogin")).text();
        if (id == 1 && login.toUpper() != QLatin1String("CHIEF")) {
            row.field(QStringLiteral("ULogin")).setValue(QStringLiteral("Chief"));
            row.update();
        }
    });
    Guard([&] {
        const qint64 id = row.field(QStringLiteral("EId")).value().toLongLong();
        const QString login = row.field(QStringLiteral("ULogin")).text();
        if (id != 1 && login.toUpper() == QLatin1String("CHIEF")) {
            row.field(QStringLiteral("ULogin")).setValue(login + screen.text(0).trimmed());
            row.update();
        }
    });
}

void saveHook(RecordScreen& screen)
{
    ProgramState& s = state();
    const QString name = screen.screenName();
    if (name == QLatin1String("KKEnterprise")) {
        Guard([&] {
            s.EShort = s.RecordRecordset.field(QStringLiteral("EShort")).text();
            s.EPasscd = s.RecordRecordset.field(QStringLiteral("EPasscd")).text();
        });
        if (s.mainView) {
            s.mainView->showEnterpriseName(s.EShort);
            s.mainView->setStatusText(3, s.EShort);
        }
    } else if (name == QLatin1String("KKUser")) {
        userRule(screen, s.RecordRecordset);
    } else if (name == QLatin1String("KKPreference")) {
        Guard(LoadMailPreferences);
    } else if (name == QLatin1String("KKCustomize")) {
        LoadCustomization();
    }
}
}

void RunModuleHook(const QString& tag)
{
    ProgramState& s = state();
    if (tag == QLatin1String("KMainLoad")) {
        if (s.mainView)
            s.mainView->mainLoadHook();
        return;
    }
    RecordScreen* screen = activeScreen();
    if (!screen)
        return;
    if (tag == QLatin1String("KDataLoad"))
        for (const auto& [sql, i] : masterNames(screen->screenName()))
            ShowMasterName(sql, i);
    else if (tag == QLatin1String("KDataSave"))
        saveHook(*screen);
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
    Guard([&] {
        Recordset& r = s.pickListRecordset;
        if (r.isOpen())
            r.close();
        r.open(statement, *s.connection, CursorType::Dynamic, LockType::ReadOnly);
        if (!r.eof())
            label->setText(r.field(0).text());
    });
    Guard([&] {
        if (s.pickListRecordset.isOpen())
            s.pickListRecordset.close();
    });
}

bool CheckPermission(int n)
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen)
        return true;
    const QString name = screen->screenName();
    const bool single = name == QLatin1String("KKEnterprise") || name == QLatin1String("KKPreference")
                        || name == QLatin1String("KKCustomize");
    const bool user = name == QLatin1String("KKUser");
    const bool admin = s.isAdministrator();
    auto refuse = [](const char* notice) {
        Messages::current().notice(QString::fromLatin1(notice));
        return false;
    };
    switch (n) {
    case 1:
        if (single || (user && !admin))
            return refuse("Add Disabled!");
        break;
    case 2:
        if ((name == QLatin1String("KKEnterprise") || user) && !admin)
            return refuse("Modify Disabled!");
        break;
    case 3:
        if (single || (user && (!admin || screen->text(0).trimmed() == QLatin1String("1"))))
            return refuse("Delete Disabled!");
        if (!user && s.CAllowDele == QLatin1String("N"))
            return refuse("Delete Denied!");
        break;
    case 6:
        if (single || user)
            return refuse("Xerox Disabled!");
        break;
    default: break;
    }
    return true;
}

}
