#include "platform/DbBackend.h"

#include "platform/AppError.h"
#include "platform/RowCursor.h"

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
