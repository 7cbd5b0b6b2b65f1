#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

// Dates as the screens show them: the locale's short date with a four-digit year,
// day and month in two digits, so a date always fits a 10-character box.
namespace DateText {
QString shortDateFormat();                 // e.g. "MM/dd/yyyy" for an English (US) locale
QString format(const QDate& date);         // short date
QString format(const QVariant& value);     // a date, date-time or ISO text as a screen shows it
QDate parse(const QString& text);          // short date (2- or 4-digit year) or ISO; invalid if neither
bool isDate(const QString& text);
QString toIso(const QDate& date);          // "YYYY-MM-DD"
QString accessLiteral(const QDate& date);  // "#MM/DD/YYYY#"

// How a stored time stamp at midnight reads back.
enum class Midnight { IsDateTime, IsDate };
// A stored date read straight from its bytes, as long listings want: "YYYY-MM-DD" gives a date,
// "YYYY-MM-DD HH:MM:SS" (or with a "T", and any fraction after it) a date and time. A null
// value when the text is no date.
QVariant fromStored(const char* text, int size, Midnight midnight);
}
