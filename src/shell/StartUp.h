#pragma once
#include <functional>
#include <memory>

class KKMain;

// What start-up needs from the parts built on top of the shell.
struct StartUpParts {
    // Called once the main window exists: plugs the record engine and the tool screens in.
    std::function<void(KKMain&)> attach;
    // The module hook dispatcher, called with "KMainLoad" while the main window is ActiveForm.
    std::function<void(const char* tag)> runModuleHook;
    // Sets the command mode once the main window is shown.
    std::function<void(const char* mode)> setCommandMode;
};

// The program's start: program state, the splash screen with the daily maintenance, the
// connection, the log-in, then the main window. Returns the shown main window, or nullptr when
// the program ended before it (the log-in was cancelled or failed, the maintenance refused).
// InitProgramState must already know the DataFolder (and the server URL, if any).
std::unique_ptr<KKMain> StartUp(const StartUpParts& parts);
