#pragma once
#include "platform/DbTypes.h"
#include "platform/ReadScope.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

class RowCursor;

// Rows added to one table through one statement prepared once (an import adds thousands):
// each call gives the values of the columns named when it was prepared, in their order.
class RowInserter {
public:
    virtual ~RowInserter() = default;
    // Values already of their columns' types. Errors throw AppError; the next row can follow.
    virtual void insert(const QVector<QVariant>& values) = 0;
};

// One database engine behind the provider. The embedded SQLCipher file is one; a shared
// server is another. Record sets and the connection talk only to this interface.
class DbBackend {
public:
    using Values = QVector<QPair<QString, QVariant>>; // column name -> value already of the column's type

    virtual ~DbBackend() = default;

    virtual void open(const ConnectionParams& params) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual void begin() = 0;
    virtual void commit() = 0;
    // Drops what the open transaction wrote (the program itself never does; moving a database
    // to the server undoes a copy that failed half-way).
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // Runs one statement written in the program's SQL dialect (translated here);
    // anything after the first statement is an error and nothing runs.
    // Values of the program's own ("?" marks one) travel as parameters, never inside the text.
    virtual ResultSet query(const QString& sql, const QVariantList& parameters = {}) = 0;
    virtual void execute(const QString& sql, const QVariantList& parameters = {}) = 0;
    // The statement's rows one at a time. By default the whole result is read first; a backend
    // that can step through its rows hands them out as they come.
    virtual std::unique_ptr<RowCursor> openCursor(const QString& sql);

    // Row writes for updatable record sets, keyed by EId. An insert and an update give back
    // the row as stored, in the columns `readBack` names (none named: an empty row), so that
    // the record set shows what the database holds; a server sends it with the write itself.
    // Writes are optimistic: `asRead` holds the row's columns as the record set read them, and
    // when the stored row no longer holds them (another copy changed or deleted it) nothing is
    // written and AppError DbErrors::ChangedByAnother is raised.
    using Row = QVector<QVariant>;
    virtual Row insertRow(const QString& table, const Values& values, const QStringList& readBack = {}) = 0;
    virtual Row updateRow(const QString& table, qint64 id, const Values& values, const Values& asRead,
                          const QStringList& readBack = {}) = 0;
    virtual void deleteRow(const QString& table, qint64 id, const Values& asRead) = 0;
    // An insert of the named columns of a table for many rows. By default each row is written
    // as insertRow writes it.
    virtual std::unique_ptr<RowInserter> prepareInsert(const QString& table, const QStringList& columns);
    // The columns of a table, in order.
    virtual QVector<ColumnInfo> tableColumns(const QString& table) = 0;

    virtual void refreshCache() = 0;

    // Many small transactions in a row (an import): until endBulkWrites a commit no longer
    // waits for the disk, and endBulkWrites flushes everything once. A backend whose commits
    // cost no flush of their own ignores both.
    virtual void beginBulkWrites() {}
    virtual void endBulkWrites() {}

    // The error raised when a write finds the row changed since it was read.
    [[noreturn]] static void changedByAnother(const QString& table, qint64 id);
    // The error raised when the row to be written is no longer stored.
    [[noreturn]] static void deletedByAnother(const QString& table, qint64 id);

    // The tables the statements prepared from now on may read (ScopedRead sets it for a while);
    // a statement reaching beyond them raises AppError DbErrors::NoReadPermission.
    const ReadScope& readScope() const { return m_readScope; }
    void setReadScope(const ReadScope& scope) { m_readScope = scope; }

private:
    ReadScope m_readScope;
};
