#include "shell/ProgramEnd.h"

#include "shell/ProgramState.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace {
ProgramEnd::Handler& installed()
{
    static ProgramEnd::Handler handler;
    return handler;
}

void endProcess(int exitCode)
{
    // Nothing of the program-wide state is saved; the connection is closed so that the
    // lock on the database file goes with the program.
    try {
        ProgramState& s = state();
        if (s.connection && s.connection->isOpen())
            s.connection->close();
    } catch (...) {
    }
    std::fflush(nullptr);
    std::exit(exitCode);
}
}

namespace ProgramEnd {

void end(int exitCode)
{
    if (const Handler& h = installed())
        h(exitCode);
    else
        endProcess(exitCode);
}

void setHandler(Handler handler) { installed() = std::move(handler); }

}
