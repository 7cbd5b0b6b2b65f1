#include "utilities/ColumnValues.h"

#include "base/Schema.h"
#include "platform/AppError.h"
#include "platform/DbBackend.h"
#include "platform/Recordset.h"

#include <algorithm>

namespace {

// Digits alone, a sign before them and spaces around allowed.
bool isWholeNumber(QStringView text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')))
        text = text.mid(1);
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

}

ColumnValues::ColumnValues(DbBackend& db, const QString& table) : m_db(db), m_table(table) {}

QVariant ColumnValues::value(const ColumnInfo& column, const QString& text)
{
    if (column.type == FieldType::Integer && !isWholeNumber(text))
        throw AppError(DbErrors::TypeMismatch, QStringLiteral("Korvina database"),
                       QStringLiteral("Data type conversion error: \"%1\" is not a whole number for the field %2.")
                           .arg(text, column.name));
    const QVariant value = Recordset::convertedFor(column, text);
    if (value.isNull())
        return value;
    const QString& master = masterOf(column.name);
    if (!master.isEmpty() && !masterHolds(master, value.toLongLong()))
        throw AppError(DbErrors::TypeMismatch, QStringLiteral("Korvina database"),
                       QStringLiteral("The field %1 holds ids of %2, which has no row %3.")
                           .arg(column.name, master, text.trimmed()));
    return value;
}

const QString& ColumnValues::masterOf(const QString& column)
{
    const auto found = m_masters.constFind(column);
    if (found != m_masters.constEnd())
        return found.value();
    QString master;
    if (const SchemaTable* table = Schema::table(m_table))
        for (const SchemaColumn& c : table->columns)
            if (c.name.compare(column, Qt::CaseInsensitive) == 0)
                master = c.master;
    return m_masters.insert(column, master).value();
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
