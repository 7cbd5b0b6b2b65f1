#pragma once
#include <QString>
#include <QStringList>
#include <vector>

class QCommandLineParser;

// The program's command line described once: the parser registers its options from these
// tables, and both `korvina --help` and the manual page korvina(1) are written from them.
namespace Usage {

struct Option {
    QStringList names;    // "data", or "h" and "help"
    QString argument;     // the value's name; empty for a switch
    QString text;         // what it does, in a sentence or two
    bool command = false; // runs a command and ends the program without opening a window
};

struct Entry {
    QString name; // an exit code or a variable
    QString text;
};

// The forms of the command line, without the program's name.
const QStringList& synopsis();
const std::vector<Option>& options();
const std::vector<Entry>& exitCodes();
const std::vector<Entry>& environment();

// Registers every option with the parser.
void addOptions(QCommandLineParser& parser);
// True when an argument asks for one of the commands that need no window.
bool asksForCommand(const QStringList& arguments);

// What `korvina --help` prints: the forms, the parser's own option list, exit codes and variables.
QString helpText(const QCommandLineParser& parser);
// The manual page korvina(1): its roff text with the lines "@SYNOPSIS@" and "@OPTIONS@"
// replaced by the forms and by the sections OPTIONS, EXIT STATUS and ENVIRONMENT.
QString manPage(QString page);

}
