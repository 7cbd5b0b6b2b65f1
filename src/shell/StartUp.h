#pragma once
#include "base/ExitCode.h"
#include "base/MainView.h"

#include <functional>
#include <memory>

class KKMain;

// What start-up needs from the parts built on top of the shell.
struct StartUpParts {
    // Called once the main window exists: plugs the record engine and the tool screens in.
    std::function<void(KKMain&)> attach;
    // The module hook dispatcher, called with MainLoad while the main window is ActiveForm.
    std::function<void(HookTag tag)> runModuleHook;
    // Sets the command mode once the main window is shown.
    std::function<void(CommandMode mode)> setCommandMode;
};

// How a start ended: with the main window shown, or without it and the exit code the program
// ends with (the maintenance refused, the log-in was cancelled or timed out).
struct StartOutcome {
    std::unique_ptr<KKMain> main;
    ExitCode exitCode = ExitCode::Success;
};

// The program's start: program state, the splash screen with the daily maintenance, the
// connection, the log-in, then the main window. InitProgramState must already know the
// DataFolder (and the server URL, if any).
StartOutcome StartUp(const StartUpParts& parts);
