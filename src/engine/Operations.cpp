#include "engine/KKAccess.h"
#include "engine/KKInquiry.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Messages.h"
#include "shell/Program.h"
#include "shell/ProgramState.h"

#include <QGroupBox>
#include <QHash>
#include <QMdiSubWindow>
#include <functional>

namespace Engine {

namespace {
// Screens a record module's Report operation opens (registered by the reports library).
std::function<void()>& reportOpener()
{
    static std::function<void()> opener;
    return opener;
}

// The access code asked before Modify and Delete when the customization says so.
bool accessGranted()
{
    ProgramState& s = state();
    s.AccessReply = QStringLiteral("N");
    KKAccess prompt(s.ActiveForm);
    prompt.exec();
    return s.AccessReply == QLatin1String("Y");
}

void closeScreen(RecordScreen* screen)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(screen->parentWidget()))
        sub->close();
    else
        screen->close();
}

void add()
{
    ProgramState& s = state();
    if (!CheckPermission(1) || !Messages::current().question(QStringLiteral("Confirm Add?")))
        return;
    s.NewRecordFlag = true;
    InitRecord();
    SetCommandMode(QStringLiteral("Edit"));
}

void modify()
{
    if (!CheckPermission(2))
        return;
    if (state().CModiPass == QLatin1String("Y") && !accessGranted())
        return;
    SetCommandMode(QStringLiteral("Edit"));
}

void remove()
{
    ProgramState& s = state();
    if (!CheckPermission(3))
        return;
    if (s.CDelePass == QLatin1String("Y") && !accessGranted())
        return;
    if (!Messages::current().question(QStringLiteral("Confirm Delete?")))
        return;
    // A record another copy changed since it was shown is not deleted over that change.
    if (!Guard(CheckRecordUnchanged))
        return;
    Guard([&] { s.connection->beginTrans(); });
    Guard([&] { s.ListRecordset.deleteCurrent(); });
    Guard([&] { s.connection->commitTrans(); });
    RunOperation(11);
}

void save()
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen || !ValidateFields())
        return;
    if (s.NewRecordFlag) {
        s.NewRecordFlag = false;
        Guard([&] { s.connection->beginTrans(); });
        Guard([&] {
            s.ListRecordset.addNew();
            s.ListRecordset.field(QStringLiteral("EDate")).setValue(screen->text(1));
            s.ListRecordset.update();
        });
        Guard([&] { s.connection->commitTrans(); });
    }
    SaveRecord();
    SetCommandMode(QStringLiteral("View"));
    LoadRecord();
}

void xerox()
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen || !CheckPermission(6) || !Messages::current().question(QStringLiteral("Confirm Xerox?")))
        return;
    s.NewRecordFlag = true;
    screen->setText(s.ModuleFieldCount, QStringLiteral("Rec#") + screen->text(0).trimmed());
    screen->setText(0, QStringLiteral("(New)"));
    screen->setText(1, DateText::format(Clock::today()));
    SetCommandMode(QStringLiteral("Edit"));
}

void cancel()
{
    ProgramState& s = state();
    SetCommandMode(QStringLiteral("View"));
    Guard([&] { s.ListRecordset.cancelUpdate(); });
    if (s.NewRecordFlag) {
        RunOperation(12);
        s.NewRecordFlag = false;
    } else {
        LoadRecord();
    }
}

void navigate(int n)
{
    Recordset& list = state().ListRecordset;
    const bool moved = Guard([&] {
        switch (n) {
        case 9: list.moveFirst(); break;
        case 10:
            list.movePrevious();
            if (list.bof())
                list.moveFirst();
            break;
        case 11:
            list.moveNext();
            if (list.eof())
                list.moveLast();
            break;
        case 12: list.moveLast(); break;
        }
    });
    if (moved || n != 12)
        LoadRecord();
}

void exitModule()
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen) {
        if (s.mainView)
            s.mainView->closeProgram();
        return;
    }
    if (screen->isEditing() && !Messages::current().question(QStringLiteral("Cancel Edits?")))
        return;
    closeScreen(screen);
}
}

void setReportOpener(std::function<void()> opener) { reportOpener() = std::move(opener); }

void RunOperation(int n)
{
    ProgramState& s = state();
    if (n != 17 && !activeScreen())
        return;
    switch (n) {
    case 1: add(); break;
    case 2: modify(); break;
    case 3: remove(); break;
    case 5: save(); break;
    case 6: xerox(); break;
    case 7: cancel(); break;
    case 9:
    case 10:
    case 11: navigate(n); break;
    case 12:
        // On an empty table Last does nothing and loads nothing.
        if (s.ListRecordset.isOpen() && s.ListRecordset.recordCount() == 0 && s.ListRecordset.eof())
            return;
        navigate(12);
        break;
    case 14:
        if (s.ReportNumber == 0)
            Messages::current().notice(QStringLiteral("No Report!"));
        else if (reportOpener())
            reportOpener()();
        break;
    case 15: {
        KKInquiry inquiry(s.ActiveForm);
        inquiry.run();
        break;
    }
    case 17: exitModule(); break;
    default: break;
    }
}

}
