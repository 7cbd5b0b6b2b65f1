#pragma once
#include "platform/DbTypes.h"

#include <QHash>
#include <QString>
#include <QVariant>

class DbBackend;

// The value a text gives a column of one table in the data utilities: what the column's type
// takes, a whole number written with digits alone ("1e3" is no id anybody chose), and a
// master id only when its master table holds a row of that id.
class ColumnValues {
public:
    ColumnValues(DbBackend& db, const QString& table);

    // Throws AppError (DbErrors::TypeMismatch, DbErrors::FieldTooSmall) when the column
    // cannot take the text.
    QVariant value(const ColumnInfo& column, const QString& text);

private:
    bool masterHolds(const QString& master, qint64 id);
    // The master table of a column of ids; empty for any other column.
    const QString& masterOf(const QString& column);

    DbBackend& m_db;
    QString m_table;
    QHash<QString, QHash<qint64, bool>> m_known; // each master table's ids asked about so far
    QHash<QString, QString> m_masters;            // each column's master table, once looked up
};
