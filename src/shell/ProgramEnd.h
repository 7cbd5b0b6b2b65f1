#pragma once
#include <functional>

// The one way the program ends early: the start-up maintenance ("Application In-Use, Try
// Later!"), the log-in (Cancel, Esc, "Timed Out!") and anything else that must stop the
// program before the main window runs call ProgramEnd::end().
//
// By default end() closes the database connection, if open, and leaves the process at once
// with the given exit code. Tests install a handler that only records the call; end() then
// returns, so every caller must return right after calling it and run nothing more.
namespace ProgramEnd {
using Handler = std::function<void(int exitCode)>;

void end(int exitCode);

// Installs a handler in place of the default; an empty handler restores the default.
void setHandler(Handler handler);
}
