#pragma once
#include <QString>
#include <QVariant>
#include <QVector>

// True for a value of any whole-number type (bool and char types included).
bool isIntegralValue(const QVariant& value);
// A field's value as the screens and files show it: "" for null, dates in the short-date form,
// doubles in their shortest exact form with a point.
QString fieldText(const QVariant& value);

enum class CursorType { ForwardOnly, Keyset, Dynamic, Static };
enum class LockType { ReadOnly, Pessimistic, Optimistic, BatchOptimistic };

// Type codes that callers test on a field; everything else is text.
namespace FieldType {
constexpr int Integer = 3;   // 32-bit whole number (ids, counts, numbers)
constexpr int Double = 5;
constexpr int Date = 7;
constexpr int VarChar = 202; // text(n)
constexpr int Memo = 203;    // long text
constexpr int Binary = 205;  // bytes (a picture), read as QByteArray
}

// What a backend knows of one result column.
struct ColumnInfo {
    QString name;        // as the statement names it (alias if any)
    QString baseTable;   // the table it comes from; empty for computed columns
    QString baseColumn;  // the column's name in that table
    int type = FieldType::VarChar;
    int definedSize = 0; // text(n): n; memo: 65500; numbers and dates: their storage size
};

// A statement's whole result, read into memory (record sets are client-side).
struct ResultSet {
    QVector<ColumnInfo> columns;
    QVector<QVector<QVariant>> rows;
};

// Connection parameters, read from the connection string.
struct ConnectionParams {
    QString provider;    // "Microsoft.Jet.OLEDB.4.0" for the embedded file
    QString dataSource;  // the database file path, or a postgresql:// URL
    QString password;    // "Jet OLEDB:Database Password"
    static ConnectionParams parse(const QString& connectionString);
};
