#pragma once
#include "platform/AppError.h"

#include <QString>
#include <exception>

// The routines every part of the program shares: setting up the program-wide values,
// the shared error handler, the pause that keeps screens live, and the settings loaders.

// Sets the file and table values, creates the connection and sets its connection string.
// Opens nothing. The DataFolder (and DatabaseUrl, for the server) must be set before.
void InitProgramState();

// The shared error handler: appends "date-time,number,source,description" to the error
// listing, then shows "Error!".
void LogError(const AppError& error);
void LogError(const std::exception& error);
// Only the line in the error listing, for a failure that shows its own message.
void RecordError(const AppError& error);

// Runs one statement under the shared handler: a failure is logged and reported, and the
// caller goes on with its next statement. Returns false when the statement failed.
template <class Statement>
bool Guard(Statement&& statement)
{
    try {
        statement();
        return true;
    } catch (const AppError& e) {
        LogError(e);
    } catch (const std::exception& e) {
        LogError(e);
    }
    return false;
}

// Lets every pending window event run (repaint, input, timers) and returns at once.
void EventPause();

// Copy the one kaPreference / kaCustomize row into the program-wide values. They throw on
// failure; callers run them under Guard.
void LoadMailPreferences();
void LoadCustomization();

// True when text (spaces around it aside) is a number written in digits - "12", "-3.5",
// ".5", "1e3" - and not a word such as "nan" or "inf"; the number goes to *value.
bool IsNumberText(const QString& text, double* value = nullptr);

// A colour held as decimal text, red in the low byte.
class QColor;
QColor ColorFromText(const QString& text, bool* ok = nullptr);
QString ColorToText(const QColor& colour);
