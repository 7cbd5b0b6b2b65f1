#include "platform/DbBackend.h"

#include "platform/AppError.h"
#include "platform/RowCursor.h"

namespace {

class RowByRow : public RowInserter {
public:
    RowByRow(DbBackend& db, const QString& table, const QStringList& columns) : m_db(db), m_table(table)
    {
        for (const QString& column : columns)
            m_values.push_back({column, QVariant()});
    }

    void insert(const QVector<QVariant>& values) override
    {
        for (qsizetype i = 0; i < m_values.size(); ++i)
            m_values[i].second = values.value(i);
        m_db.insertRow(m_table, m_values);
    }

private:
    DbBackend& m_db;
    QString m_table;
    DbBackend::Values m_values;
};

}

std::unique_ptr<RowInserter> DbBackend::prepareInsert(const QString& table, const QStringList& columns)
{
    return std::make_unique<RowByRow>(*this, table, columns);
}

std::unique_ptr<RowCursor> DbBackend::openCursor(const QString& sql)
{
    return std::make_unique<ResultCursor>(query(sql));
}

void DbBackend::changedByAnother(const QString& table, qint64 id)
{
    throw AppError(DbErrors::ChangedByAnother, QStringLiteral("Korvina database"),
                   QStringLiteral("Another user changed the record %1 of %2 after it was read here (or deleted it); "
                                  "nothing was written.")
                       .arg(id)
                       .arg(table));
}

void DbBackend::deletedByAnother(const QString& table, qint64 id)
{
    throw AppError(DbErrors::DeletedByAnother, QStringLiteral("Korvina database"),
                   QStringLiteral("Another user deleted the record %1 of %2; nothing was written.").arg(id).arg(table));
}
