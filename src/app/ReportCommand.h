#pragma once

class QCommandLineParser;

// Writing one report to a PDF without a window, for scheduled jobs (its options are in Usage):
//   korvina --data DIR --report N [--criterion VALUE [--to VALUE]] [--paper SIZE] --pdf FILE
namespace ReportCommand {
bool requested(const QCommandLineParser& parser);
// Runs the command for the DataFolder already set in the program state; returns the exit code
// (Success: written; NoData: written, but empty; Usage: a bad number or value; ReportFailed:
// the database refused the report, nothing written; WriteFailed: the file could not be written,
// a file already there is left as it was).
int run(const QCommandLineParser& parser);
}
