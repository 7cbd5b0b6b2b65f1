#pragma once
#include <QHash>
#include <QString>
#include <QStringList>

// The program's SQL as PostgreSQL reads it. Tables and columns are created with the names the
// program gives them ("ktCustomer", "CFirst"), so every name the program writes is quoted in
// the spelling the server knows; text compares and sorts without regard to case through the
// columns' collation, and Like matches without regard to case.
namespace PgDialect {

// The collations the server's tables use: case-insensitive for text columns, and a
// deterministic one under which Like can fold case.
inline constexpr const char* NoCaseCollation = "korvina_nocase";
inline constexpr const char* LikeCollation = "korvina_like";

// Tables and columns of the database, by lower-case name.
struct Names {
    QHash<QString, QString> spelling;     // table or column name -> its exact spelling
    QHash<QString, QStringList> columns;  // table name -> its columns, in order
};

// Translates one statement. "?" placeholders become $1, $2...
QString translate(const QString& sql, const Names& names);
}
