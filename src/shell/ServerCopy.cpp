#include "shell/ServerCopy.h"

#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DbBackend.h"
#include "base/Schema.h"
#include "base/SchemaUpgrade.h"

namespace {
const QString kSource = QStringLiteral("Copy to server");

qint64 count(Connection& c, const QString& table)
{
    return c.backend().query(QStringLiteral("Select Count(*) From ") + table).rows.value(0).value(0).toLongLong();
}

// Copies one table's rows as they are, EIds included; returns the highest EId.
qint64 copyRows(Connection& from, Connection& to, const SchemaTable& table)
{
    QStringList names, marks;
    for (const SchemaColumn& c : table.columns) {
        names << c.name;
        marks << QStringLiteral("?");
    }
    const QString columns = names.join(QStringLiteral(", "));
    const ResultSet rows = from.backend().query(QStringLiteral("Select %1 From %2 ORDER BY EId").arg(columns, table.name));
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table.name, columns, marks.join(QStringLiteral(", ")));
    qint64 highest = 0;
    for (const QVector<QVariant>& row : rows.rows) {
        to.backend().execute(insert, QVariantList(row.begin(), row.end()));
        highest = std::max(highest, row.first().toLongLong());
    }
    return highest;
}
}

namespace ServerCopy {

void checkEmpty(Connection& server)
{
    const qint64 tables = server.backend()
                              .query(QStringLiteral("Select Count(*) From pg_catalog.pg_tables Where schemaname = "
                                                    "current_schema()"))
                              .rows.value(0)
                              .value(0)
                              .toLongLong();
    if (tables > 0)
        throw AppError(DbErrors::FileExists, kSource,
                       QStringLiteral("The database on the server already holds %1 table(s); Korvina copies only into "
                                      "an empty database. Nothing was copied.")
                           .arg(tables));
}

QStringList copy(Connection& from, Connection& to)
{
    checkEmpty(to);
    SchemaUpgrade::run(from); // the server receives the tables as this version makes them
    QStringList report;
    to.beginTrans();
    try {
        Schema::createTables(to);
        for (const SchemaTable& table : Schema::tables()) {
            const qint64 highest = copyRows(from, to, table);
            // New rows on the server are numbered after the copied ones.
            to.backend().query(QStringLiteral("Select setval(pg_get_serial_sequence(?, 'EId'), ?, false)"),
                               {QLatin1Char('"') + table.name + QLatin1Char('"'), highest + 1});
            const qint64 inFile = count(from, table.name), onServer = count(to, table.name);
            if (inFile != onServer)
                throw AppError(DbErrors::General, kSource,
                               QStringLiteral("%1: %2 rows in the file but %3 on the server; nothing was copied.")
                                   .arg(table.name)
                                   .arg(inFile)
                                   .arg(onServer));
            report << QStringLiteral("%1: %2 rows").arg(table.name).arg(onServer);
        }
        to.commitTrans();
    } catch (...) {
        to.rollbackTrans();
        throw;
    }
    return report;
}

}
