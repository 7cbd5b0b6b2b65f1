#pragma once
#include <QString>

class AppError;

// What the start tells the user when the database cannot be used, one message per cause.
namespace FailureText {
// A few words for a message ("the disk is full"); the error listing holds the details.
QString causeOf(const AppError& error);
// The message for a database that cannot be opened or looked after at the start: in use by
// another copy, an unreachable server, a data folder that cannot be written or is full, a
// damaged database file.
QString openFailed(const AppError& error);
}
