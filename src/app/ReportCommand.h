#pragma once

class QCommandLineParser;

// Writing one report to a PDF without a window, for scheduled jobs:
//   korvina --data DIR --report N [--criterion VALUE [--to VALUE]] --pdf FILE
namespace ReportCommand {
// Exit codes besides 0 (written).
enum class Exit { Written = 0, Failed = 1, BadRequest = 2, NoData = 3 };

void addOptions(QCommandLineParser& parser);
bool requested(const QCommandLineParser& parser);
// Runs the command for the DataFolder already set in the program state; returns the exit code.
int run(const QCommandLineParser& parser);
}
