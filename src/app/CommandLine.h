#pragma once
#include "base/ExitCode.h"

#include <QStringList>
#include <optional>

// The program's command line: the DataFolder, the database (the file in the DataFolder or a
// database on a server), and the commands that run without the main window (--init,
// --copy-to, --restore-archive, --help, --version).
class CommandLine {
public:
    // Takes the arguments as given and then blanks any password written into a URL in argv, so
    // that the process list never shows it. Call before the application object reads argv.
    static QStringList capture(int argc, char** argv);
    // True when the arguments ask for a command that needs no screen.
    static bool runsWithoutScreen(const QStringList& arguments);

    // Reads the arguments into the program state (DataFolder, DatabaseUrl; the application
    // object that owns the state must exist) and runs the
    // commands that end the program. Returns the exit code when the program ends here;
    // nothing when it goes on to start.
    std::optional<ExitCode> run(const QStringList& arguments);

private:
    ExitCode init(bool demo);
    ExitCode copyTo(const QString& url);
    ExitCode restoreArchive(const QString& file);
};
