#pragma once
#include "platform/DbBackend.h"
#include "platform/PgDialect.h"

#include <QHash>

struct pg_conn;
struct pg_result;

// The server backend: one PostgreSQL database shared by several copies of the program,
// reached through libpq with a postgresql:// URL. The password comes from the URL, the
// PGPASSWORD variable or ~/.pgpass, as libpq finds it; it is never part of a message.
class PgBackend : public DbBackend {
public:
    PgBackend() = default;
    ~PgBackend() override;

    void open(const ConnectionParams& params) override;
    void close() override;
    bool isOpen() const override { return m_conn != nullptr; }

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return m_depth > 0; }

    ResultSet query(const QString& sql, const QVariantList& parameters = {}) override;
    void execute(const QString& sql, const QVariantList& parameters = {}) override;

    qint64 insertRow(const QString& table, const Values& values) override;
    void updateRow(const QString& table, qint64 id, const Values& values, const Values& asRead) override;
    void deleteRow(const QString& table, qint64 id, const Values& asRead) override;
    QVector<ColumnInfo> tableColumns(const QString& table) override;

    void refreshCache() override;

    // A URL without its password, fit for messages.
    static QString redacted(const QString& url);

private:
    struct Result;
    // Runs SQL as the server reads it; inside a transaction a failing statement is undone alone
    // (as on the file), so the rest of the transaction still commits.
    Result run(const QString& serverSql, const QVariantList& parameters, const QString& original);
    void runPlain(const char* command);
    ResultSet toResultSet(pg_result* result) const;
    void loadNames();
    void ensureCollations();
    QString exactName(const QString& name) const;
    QString unchangedCondition(const Values& asRead, int firstParameter) const;
    void ensureOpen() const;

    pg_conn* m_conn = nullptr;
    int m_depth = 0;
    PgDialect::Names m_names;
    // Table oid -> (name, columns by attribute number), to name a result column's origin.
    struct TableInfo {
        QString name;
        QHash<int, QString> columns;
    };
    QHash<unsigned, TableInfo> m_tables;
};
