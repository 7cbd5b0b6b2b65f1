#pragma once
#include <QString>

// The program writes its SQL in the classic desktop-database dialect: "Select Top n",
// dates as #MM/DD/YYYY#, names in [brackets]. These pure functions turn it into SQLite's.
// Text inside single-quoted literals is never changed.
namespace SqlDialect {

// All translations below, in one pass.
QString toSqlite(const QString& sql);

// "Select [Distinct] Top n ..." -> "Select [Distinct] ... LIMIT n" (LIMIT at the end of
// that select, after its ORDER BY; a sub-select gets it before its closing parenthesis).
QString translateTop(const QString& sql);
// "#MM/DD/YYYY#" (also M/D/YYYY, a two-digit year, an optional time, or #YYYY-MM-DD#)
// -> 'YYYY-MM-DD' (or 'YYYY-MM-DD HH:MM:SS' when a time is given).
QString translateDateLiterals(const QString& sql);
// "[name]" -> "\"name\"".
QString translateBrackets(const QString& sql);

// "CREATE TABLE" and "ALTER TABLE ... ADD [COLUMN]": text columns get COLLATE NOCASE, so that
// "=", GROUP BY and ORDER BY on them ignore letter case as the program's statements expect.
QString translateCreateTable(const QString& sql);

// True when text holds nothing but blanks (what may follow the one statement of a call).
bool isBlank(const QString& text);

// Case-insensitive LIKE matching (% any run, _ one character, escape optional), used by
// the backend's like() and by Find.
bool likeMatch(const QString& text, const QString& pattern, QChar escape = QChar());
}
