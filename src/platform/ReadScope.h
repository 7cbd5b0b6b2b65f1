#pragma once
#include <QString>
#include <QStringList>

class AppError;
class DbBackend;

// The tables a statement that carries a condition typed by the user may read. Such a statement
// is refused when it reaches another table, a system catalogue or a password column (a name
// holding "Passcd"); the program's own statements run without a scope.
class ReadScope {
public:
    ReadScope() = default; // no limit
    explicit ReadScope(const QStringList& tables);
    // The tables the program's statement names after From (its list) and Join, before a
    // condition is joined to it.
    static ReadScope of(const QString& statement);

    bool isLimited() const { return m_limited; }
    const QStringList& tables() const { return m_tables; }
    bool allows(const QString& table) const;
    static bool isPasswordColumn(const QString& column);
    // Refuses what no condition needs, whatever the backend: a comment, a second statement, a
    // table listed after From or Join beyond the scope.
    void checkPlain(const QString& sql) const;

    // The error of a refused statement: one message in words, the same on every screen.
    [[noreturn]] static void refuse(const QString& reached);
    static bool isRefusal(const AppError& error);
    static QString message();

private:
    QStringList m_tables;
    bool m_limited = false;
};

// Sets a backend's scope for the statements prepared while it lives. A scope without a limit
// leaves the one set before: scopes only ever narrow.
class ScopedRead {
public:
    ScopedRead(DbBackend& backend, const ReadScope& scope);
    ~ScopedRead();
    ScopedRead(const ScopedRead&) = delete;
    ScopedRead& operator=(const ScopedRead&) = delete;

private:
    DbBackend& m_backend;
    ReadScope m_previous;
};
