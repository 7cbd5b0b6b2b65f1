#pragma once
#include "platform/DbTypes.h"

#include <QPair>
#include <QString>
#include <QVector>

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
    virtual bool inTransaction() const = 0;

    // Runs one statement written in the program's SQL dialect (translated here);
    // anything after the first statement is an error and nothing runs.
    virtual ResultSet query(const QString& sql) = 0;
    virtual void execute(const QString& sql) = 0;

    // Row writes for updatable record sets, keyed by EId. insertRow returns the new EId.
    virtual qint64 insertRow(const QString& table, const Values& values) = 0;
    virtual void updateRow(const QString& table, qint64 id, const Values& values) = 0;
    virtual void deleteRow(const QString& table, qint64 id) = 0;
    // The columns of a table, in order.
    virtual QVector<ColumnInfo> tableColumns(const QString& table) = 0;

    virtual void refreshCache() = 0;
};
