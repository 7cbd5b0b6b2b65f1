#pragma once
#include "platform/DbBackend.h"
#include "platform/LockFile.h"

struct sqlite3;
struct sqlite3_stmt;

// The embedded backend: one SQLCipher-encrypted file, WAL journal, the lock file beside it.
class SqliteBackend : public DbBackend {
public:
    SqliteBackend() = default;
    ~SqliteBackend() override;

    void open(const ConnectionParams& params) override;
    void close() override;
    bool isOpen() const override { return m_db != nullptr; }

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return m_depth > 0; }

    ResultSet query(const QString& sql, const QVariantList& parameters = {}) override;
    void execute(const QString& sql, const QVariantList& parameters = {}) override;
    std::unique_ptr<RowCursor> openCursor(const QString& sql) override;

    Row insertRow(const QString& table, const Values& values, const QStringList& readBack = {}) override;
    Row updateRow(const QString& table, qint64 id, const Values& values, const Values& asRead,
                  const QStringList& readBack = {}) override;
    void deleteRow(const QString& table, qint64 id, const Values& asRead) override;
    std::unique_ptr<RowInserter> prepareInsert(const QString& table, const QStringList& columns) override;
    QVector<ColumnInfo> tableColumns(const QString& table) override;

    void refreshCache() override;
    void beginBulkWrites() override;
    void endBulkWrites() override;

    // Opens the file without its lock file (compaction works on a file nobody holds).
    void openWithoutLock(const ConnectionParams& params);
    // Runs SQL as SQLite reads it (no translation); for the provider's own statements.
    void executeNative(const QString& sql);

    // The column type code and defined size for a declared column type ("VARCHAR(50)"...);
    // false when the declaration says nothing the program knows.
    static bool mapDeclaredType(const QString& declared, int& type, int& definedSize);

private:
    class Inserter;
    void openFile(const ConnectionParams& params, bool withLock);
    void ensureOpen() const;
    // Prepares exactly one statement; anything after it is an error and nothing runs.
    sqlite3_stmt* prepareOne(const QString& sqliteSql, const QString& original);
    void stepToEnd(sqlite3_stmt* stmt, const QString& original);
    // Runs one of the transaction statements, prepared the first time and kept until close.
    void runKept(sqlite3_stmt*& kept, const char* sql);
    static QString unchangedCondition(const Values& asRead);
    // The row with that EId in the named columns (none named: an empty row).
    Row storedRow(const QString& table, qint64 id, const QStringList& columns);
    [[noreturn]] void fail(int number, const QString& what, const QString& sql) const;
    // SQLite's authorizer: under a read scope, a statement reads the scope's tables (their
    // password columns as null), calls functions that only compute, and does nothing else.
    static int authorize(void* self, int action, const char* first, const char* second, const char*, const char*);

    sqlite3* m_db = nullptr;
    int m_depth = 0;
    LockFile m_lock;
    QString m_path;
    QString m_refused; // what the authorizer refused in the statement being prepared
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
};
