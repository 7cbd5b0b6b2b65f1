#include "shell/StartUp.h"

#include "shell/FailureText.h"
#include "shell/KKLogin.h"
#include "base/Messages.h"
#include "shell/KKMain.h"
#include "shell/KKStart.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "base/SchemaUpgrade.h"
#include "platform/Recordset.h"

StartOutcome StartUp(const StartUpParts& parts)
{
    ProgramState& s = state();
    InitProgramState();

    // The splash screen's timer runs the daily maintenance before anything opens the database.
    {
        KKStart splash;
        splash.exec();
        if (!splash.maintenanceSucceeded())
            return {nullptr, ExitCode::Failure};
    }

    // A database that cannot be opened ends the start with one message that says why. The
    // users and the enterprise are read for the log-in only.
    Recordset users, enterprise;
    try {
        s.connection->open();
        // A database made by an earlier version is brought up to this one, once, after the day's
        // archive copy; one that cannot be is left as it was and the program ends.
        if (!SchemaUpgrade::runAtStartUp(*s.connection))
            return {nullptr, ExitCode::Failure};
        users.open(QStringLiteral("kaUser"), *s.connection, CursorType::Dynamic, LockType::ReadOnly);
        enterprise.open(QStringLiteral("kaEnterprise"), *s.connection, CursorType::Dynamic, LockType::Optimistic);
    } catch (const AppError& e) {
        RecordError(e);
        Messages::current().notice(FailureText::openFailed(e));
        return {nullptr, ExitCode::Failure};
    }

    {
        KKLogin login(users, enterprise);
        if (login.exec() != QDialog::Accepted)
            return {nullptr, login.exitCode()};
    }

    auto main = std::make_unique<KKMain>();
    if (parts.attach)
        parts.attach(*main);
    s.ActiveForm = main.get();
    if (parts.runModuleHook)
        parts.runModuleHook(HookTag::MainLoad);
    s.ActiveForm = nullptr;

    main->showMaximized();
    if (parts.setCommandMode)
        parts.setCommandMode(CommandMode::Help);
    return {std::move(main), ExitCode::Success};
}
