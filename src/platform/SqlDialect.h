#pragma once
#include <QString>

// The program writes its SQL in the classic desktop-database dialect: "Select Top n",
// dates as #MM/DD/YYYY#, names in [brackets]. These pure functions turn it into SQLite's.
// Text inside single-quoted literals is never changed.
namespace SqlDialect {

// The program's statements in SQLite's words, in one pass:
// - "Select [Distinct] Top n ..." -> "... LIMIT n" (after that select's ORDER BY; a sub-select
//   gets it before its closing parenthesis);
// - "#MM/DD/YYYY#" (also M/D/YYYY, a two-digit year, an optional time, or #YYYY-MM-DD#)
//   -> 'YYYY-MM-DD' (or 'YYYY-MM-DD HH:MM:SS' when a time is given);
// - "[name]" -> "\"name\"";
// - "CREATE TABLE" and "ALTER TABLE ... ADD [COLUMN]": text columns get COLLATE NOCASE, so that
//   "=", GROUP BY and ORDER BY on them ignore letter case as the program's statements expect.
QString toSqlite(const QString& sql);

// True when text holds nothing but blanks (what may follow the one statement of a call).
bool isBlank(const QString& text);

// Case-insensitive LIKE matching (% any run, _ one character, escape optional), used by
// the backend's like() and by Find.
bool likeMatch(const QString& text, const QString& pattern, QChar escape = QChar());
}
