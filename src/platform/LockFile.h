#pragma once
#include <QString>

// The database's lock file (<folder>/<basename>.Ldb). Every copy of the program that has
// the database open holds a shared advisory lock on it; the last one to close deletes it. The
// start-up maintenance holds it exclusively while it compacts and swaps the file, so that no
// copy opens the database meanwhile.
// Start-up maintenance asks isHeldByAnother() to learn whether another copy is using the file.
class LockFile {
public:
    LockFile() = default;
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // The lock file that belongs to a database file: same folder, same base name, ".Ldb".
    static QString pathFor(const QString& databasePath);
    // True when somebody holds a lock on the file (an exclusive lock cannot be taken at once).
    // A missing file is held by nobody.
    static bool isHeldByAnother(const QString& lockPath);

    // Creates the file if needed and takes a shared lock (every copy that has the database
    // open); throws AppError when it cannot, InUse while a copy holds it exclusively.
    void acquire(const QString& lockPath);
    // Creates the file if needed and takes the lock exclusively (the start-up maintenance,
    // while it works on the database file); throws AppError, InUse when anybody holds it.
    void acquireExclusive(const QString& lockPath);
    // Drops the lock; deletes the file when nobody else holds it.
    void release();
    bool isHeld() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }

private:
    void take(const QString& lockPath, int mode);

    int m_fd = -1;
    QString m_path;
};
