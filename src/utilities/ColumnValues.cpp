#include "utilities/ColumnValues.h"

#include "base/Schema.h"
#include "platform/AppError.h"
#include "platform/DbBackend.h"
#include "platform/Recordset.h"

#include <QRegularExpression>

ColumnValues::ColumnValues(DbBackend& db, const QString& table) : m_db(db), m_table(table) {}

QVariant ColumnValues::value(const ColumnInfo& column, const QString& text)
{
    static const QRegularExpression whole(QStringLiteral(R"(^\s*[+-]?\d+\s*$)"));
    if (column.type == FieldType::Integer && !whole.match(text).hasMatch())
        throw AppError(DbErrors::TypeMismatch, QStringLiteral("Korvina database"),
                       QStringLiteral("Data type conversion error: \"%1\" is not a whole number for the field %2.")
                           .arg(text, column.name));
    const QVariant value = Recordset::convertedFor(column, text);
    const SchemaTable* table = Schema::table(m_table);
    if (!table || value.isNull())
        return value;
    for (const SchemaColumn& c : table->columns)
        if (c.name.compare(column.name, Qt::CaseInsensitive) == 0 && !c.master.isEmpty()
            && !masterHolds(c.master, value.toLongLong()))
            throw AppError(DbErrors::TypeMismatch, QStringLiteral("Korvina database"),
                           QStringLiteral("The field %1 holds ids of %2, which has no row %3.")
                               .arg(column.name, c.master, text.trimmed()));
    return value;
}

bool ColumnValues::masterHolds(const QString& master, qint64 id)
{
    QHash<qint64, bool>& known = m_known[master];
    const auto found = known.constFind(id);
    if (found != known.constEnd())
        return found.value();
    const bool holds = m_db.query(QStringLiteral("Select Count(*) From %1 Where EId = ?").arg(master), {id})
                           .rows.value(0).value(0).toLongLong() > 0;
    known.insert(id, holds);
    return holds;
}
