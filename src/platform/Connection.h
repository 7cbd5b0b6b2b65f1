#pragma once
#include "platform/DbTypes.h"

#include <QString>
#include <memory>

class DbBackend;

// The program's one database connection. Opened with a connection string naming the
// provider, the data source and the password; chooses the backend from the data source
// (a file path: the embedded encrypted file; a postgresql:// URL: the shared server).
// Every failing call throws AppError.
class LockFile;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(const QString& text) { m_connectionString = text; }
    const QString& connectionString() const { return m_connectionString; }

    void open(const QString& user = {}, const QString& password = {}, const QString& options = {});
    void close();
    bool isOpen() const;

    void beginTrans();
    void commitTrans();
    // Only for moving a database to the server and for a schema upgrade that failed: the
    // program's own work never rolls back.
    void rollbackTrans();
    // True when the connection is to a database server rather than the file.
    bool isServer() const;

    // Runs one statement that returns no rows (used by database creation and tools).
    void execute(const QString& sql);

    // The engine service: refresh the engine's cache for this connection.
    void refreshCache();

    // The engine service: compact a closed database into a new file with the same
    // password. The destination must not exist; a database held open elsewhere is refused.
    // A caller that holds the database's lock file exclusively passes it as heldLock.
    static void compactDatabase(const QString& sourceConnectionString, const QString& destinationConnectionString,
                                const LockFile* heldLock = nullptr);

    DbBackend& backend();

private:
    QString m_connectionString;
    std::unique_ptr<DbBackend> m_backend;
};
