#include "engine/KKAccess.h"
#include "engine/KKInquiry.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/ProgramState.h"
#include "platform/DateText.h"
#include "base/Messages.h"
#include "base/Program.h"

#include <QGroupBox>
#include <QHash>
#include <QMdiSubWindow>
#include <functional>

namespace Engine {

namespace {
// The access code asked before Modify and Delete when the customization says so.
bool accessGranted() { return KKAccess::ask(state().ActiveForm); }

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
    if (!CheckPermission(Operation::Add) || !Messages::current().question(QStringLiteral("Confirm Add?")))
        return;
    s.NewRecordFlag = true;
    InitRecord();
    SetCommandMode(CommandMode::Edit);
}

void modify()
{
    if (!CheckPermission(Operation::Modify))
        return;
    if (state().CModiPass == QLatin1String("Y") && !accessGranted())
        return;
    SetCommandMode(CommandMode::Edit);
}

void remove()
{
    ProgramState& s = state();
    if (!CheckPermission(Operation::Delete))
        return;
    if (s.CDelePass == QLatin1String("Y") && !accessGranted())
        return;
    if (!Messages::current().question(QStringLiteral("Confirm Delete?")))
        return;
    // A record another copy changed since it was shown is not deleted over that change.
    try {
        CheckRecordUnchanged();
    } catch (const AppError& e) {
        if (e.number() == DbErrors::ChangedByAnother) {
            Messages::current().notice(QStringLiteral("Changed by another user; nothing was deleted. The record is shown "
                                                      "as it is stored now."));
            LoadRecord();
        } else if (e.number() == DbErrors::DeletedByAnother) {
            Messages::current().notice(QStringLiteral("This record was deleted by another user."));
        } else {
            LogError(e);
        }
        return;
    }
    Guard([&] { s.connection->beginTrans(); });
    Guard([&] { s.ListRecordset.deleteCurrent(); });
    Guard([&] { s.connection->commitTrans(); });
    RunOperation(Operation::Next);
}

// A save that did not go through keeps what the user typed on screen, in Edit, and says why
// once. A record another copy changed meanwhile can be reloaded or overwritten.
enum class SaveEnd { Saved, KeptOnScreen, Reloaded };

SaveEnd saveAfterFailure(const AppError& e)
{
    switch (e.number()) {
    case DbErrors::ChangedByAnother: {
        const int answer = Messages::current().choice(
            QStringLiteral("Changed by another user; your changes are kept on screen: reload or overwrite?"),
            {QStringLiteral("Reload"), QStringLiteral("Overwrite")});
        if (answer == 0)
            return SaveEnd::Reloaded;
        if (answer == 1 && Guard(TakeStoredRecord))
            return SaveEnd::Saved; // saved again by the caller
        return SaveEnd::KeptOnScreen;
    }
    case DbErrors::DeletedByAnother:
        Messages::current().notice(QStringLiteral("This record was deleted by another user; your changes are kept on screen."));
        break;
    case DbErrors::Unreachable:
        RecordError(e);
        Messages::current().notice(QStringLiteral("The database server cannot be reached; your changes are kept on screen. "
                                                  "Save again when it is back."));
        break;
    default:
        LogError(e);
    }
    return SaveEnd::KeptOnScreen;
}

void save()
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen || !ValidateFields())
        return;
    for (;;) {
        try {
            if (s.NewRecordFlag) {
                s.connection->beginTrans();
                try {
                    s.ListRecordset.addNew();
                    s.ListRecordset.field(QStringLiteral("EDate")).setValue(screen->text(1));
                    s.ListRecordset.update();
                } catch (...) {
                    Guard([&] { s.ListRecordset.cancelUpdate(); });
                    try {
                        s.connection->commitTrans();
                    } catch (...) {
                    }
                    throw;
                }
                s.connection->commitTrans();
                s.NewRecordFlag = false;
            }
            SaveRecord();
            break;
        } catch (const AppError& e) {
            const SaveEnd end = saveAfterFailure(e);
            if (end == SaveEnd::KeptOnScreen)
                return;
            if (end == SaveEnd::Reloaded)
                break;
        } catch (const std::exception& e) {
            LogError(e);
            return;
        }
    }
    SetCommandMode(CommandMode::View);
    LoadRecord();
}

void xerox()
{
    ProgramState& s = state();
    RecordScreen* screen = activeScreen();
    if (!screen || !CheckPermission(Operation::Xerox) || !Messages::current().question(QStringLiteral("Confirm Xerox?")))
        return;
    s.NewRecordFlag = true;
    screen->setText(s.ModuleFieldCount, QStringLiteral("Rec#") + screen->text(0).trimmed());
    screen->setText(0, QStringLiteral("(New)"));
    screen->setText(1, DateText::format(state().clock.today()));
    SetCommandMode(CommandMode::Edit);
}

void cancel()
{
    ProgramState& s = state();
    SetCommandMode(CommandMode::View);
    Guard([&] { s.ListRecordset.cancelUpdate(); });
    if (s.NewRecordFlag) {
        RunOperation(Operation::Last);
        s.NewRecordFlag = false;
    } else {
        LoadRecord();
    }
}

void navigate(Operation n)
{
    Recordset& list = state().ListRecordset;
    const bool moved = Guard([&] {
        switch (n) {
        case Operation::First: list.moveFirst(); break;
        case Operation::Prior:
            list.movePrevious();
            if (list.bof())
                list.moveFirst();
            break;
        case Operation::Next:
            list.moveNext();
            if (list.eof())
                list.moveLast();
            break;
        case Operation::Last: list.moveLast(); break;
        default: break;
        }
    });
    if (moved || n != Operation::Last)
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

void RunOperation(Operation n)
{
    ProgramState& s = state();
    if (n != Operation::Exit && !activeScreen())
        return;
    switch (n) {
    case Operation::Add: add(); break;
    case Operation::Modify: modify(); break;
    case Operation::Delete: remove(); break;
    case Operation::Save: save(); break;
    case Operation::Xerox: xerox(); break;
    case Operation::Cancel: cancel(); break;
    case Operation::First:
    case Operation::Prior:
    case Operation::Next: navigate(n); break;
    case Operation::Last:
        // On an empty table Last does nothing and loads nothing.
        if (s.ListRecordset.isOpen() && s.ListRecordset.recordCount() == 0 && s.ListRecordset.eof())
            return;
        navigate(n);
        break;
    case Operation::Report:
        if (s.ReportNumber == 0)
            Messages::current().notice(QStringLiteral("No Report!"));
        else if (RecordEngine* engine = host())
            engine->openReport();
        break;
    case Operation::Inquiry: {
        KKInquiry inquiry(s.ActiveForm);
        inquiry.run();
        break;
    }
    case Operation::Exit: exitModule(); break;
    }
}

}
