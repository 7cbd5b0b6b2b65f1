#pragma once

// What the program returns to the system when it ends.
enum class ExitCode : int {
    Success = 0, // a normal end, or the log-in left with Cancel
    Failure = 1, // a refused start ("Application In-Use, Try Later!"), "Timed Out!", a failed --init
    Usage = 2,   // a command line the program does not understand
};
