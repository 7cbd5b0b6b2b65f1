#pragma once

// What the program returns to the system when it ends.
enum class ExitCode : int {
    Success = 0, // a normal end, or the log-in left with Cancel
    Failure = 1, // a refused start ("Application In-Use, Try Later!"), "Timed Out!", a failed --init
    Usage = 2,   // a command line the program does not understand, or a report value it cannot use
    NoData = 3,  // korvina --report: the report was written, but nothing matched ("No Data!")
    ReportFailed = 4,  // korvina --report: the report could not be made (a refused criterion, a database error)
    WriteFailed = 5,   // an output file could not be written; a file already there is left as it was
    RestoreFailed = 6, // --restore-archive: the archive could not be read or brought back
};
