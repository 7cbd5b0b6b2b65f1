#pragma once
#include "platform/DbBackend.h"
#include "platform/PgDialect.h"

#include <QHash>
#include <vector>

class AppError;
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

    Row insertRow(const QString& table, const Values& values, const QStringList& readBack = {}) override;
    Row updateRow(const QString& table, qint64 id, const Values& values, const Values& asRead,
                  const QStringList& readBack = {}) override;
    void deleteRow(const QString& table, qint64 id, const Values& asRead) override;
    QVector<ColumnInfo> tableColumns(const QString& table) override;

    void refreshCache() override;

    // A URL without its password, fit for messages.
    static QString redacted(const QString& url);
    // Rethrows `error`; a text too long for its column is named by table, row and column.
    [[noreturn]] void nameTooLong(const AppError& error, const QString& table, const QString& row, const Values& values);

private:
    struct Result;
    // Runs SQL as the server reads it; inside a transaction a failing statement is undone alone
    // (as on the file), so the rest of the transaction still commits.
    // A connection the server dropped is made again, and the statement retried once, when no
    // transaction was under way on it; otherwise AppError DbErrors::Unreachable.
    Result run(const QString& serverSql, const QVariantList& parameters, const QString& original);
    Result runOnce(const QString& serverSql, const QVariantList& parameters, const QString& original);
    bool reconnect();
    [[noreturn]] void unreachable(bool transactionLost) const;
    // Sends the commands in one round trip and returns their results in order; `parameters` go
    // with the command at `withParameters`.
    std::vector<Result> runTogether(const QVector<QByteArray>& commands, int withParameters,
                                    const QVector<const char*>& parameters);
    void runPlain(const char* command);
    ResultSet toResultSet(pg_result* result) const;
    void loadNames();
    void ensureCollations();
    QString exactName(const QString& name) const;
    QString unchangedCondition(const Values& asRead, int firstParameter) const;
    // The columns as the server spells them, quoted and joined; with " RETURNING " before them
    // to give a written row back (nothing for no columns).
    QString columnList(const QStringList& columns) const;
    QString returning(const QStringList& columns) const;
    void ensureOpen() const;

    pg_conn* m_conn = nullptr;
    int m_depth = 0;
    // The server's transaction began: BEGIN goes out with a transaction's first statement.
    bool m_begun = false;
    // The connection dropped while the server's transaction was open: the transaction's later
    // statements and its commit fail until it ends.
    bool m_lost = false;
    PgDialect::Names m_names;
    // Table oid -> (name, columns by attribute number), to name a result column's origin.
    struct TableInfo {
        QString name;
        QHash<int, QString> columns;
    };
    QHash<unsigned, TableInfo> m_tables;
};
