#pragma once
#include "base/Messages.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class Connection;

// Records every message the program shows and answers questions from a queue
// (an empty queue answers Yes). It installs itself as the message seam of the program state
// that lives when it is created (so create the TestDataFolder first) and leaves with it.
class ScriptedMessages : public Messages {
public:
    ScriptedMessages();
    ~ScriptedMessages() override;

    void notice(const QString& text) override { shown << text; }
    bool question(const QString& text) override
    {
        shown << text;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    int choice(const QString& text, const QStringList& buttons) override
    {
        if (!escapeChoice)
            return Messages::choice(text, buttons);
        shown << text;
        escapeChoice = false;
        return -1;
    }
    void error(const QString& text, const QString& title) override
    {
        shown << text;
        titles << title;
    }

    int count(const QString& text) const { return int(shown.count(text)); }
    void clear() { shown.clear(); titles.clear(); }

    QStringList shown;   // every notice, question and error text, in order
    QStringList titles;  // titles of error() messages
    QList<bool> answers; // answers to the next questions
    bool escapeChoice = false; // the next choice between buttons is closed with Esc
};

// A fresh DataFolder in a temporary directory (Bin/, Docs/, Arch/) with a real encrypted
// database holding the fourteen tables and the required rows, the program state reset and
// initialised for it, and (unless told otherwise) the connection open.
class ProgramState;

class TestDataFolder {
public:
    struct Options {
        // Rows added after the required ones (DemoData::fill for the demo content).
        std::function<void(Connection&)> content {};
        bool open = true;     // open the connection after creating the database
        bool login = true;    // log in as Chief: LoginId, EShort, EPasscd and the settings loaded
        QString serverUrl {}; // a database on a server (empty: the file in the DataFolder)
    };
    TestDataFolder() : TestDataFolder(Options{}) {}
    explicit TestDataFolder(const Options& options);
    ~TestDataFolder();

    QString path() const { return m_dir.path(); }
    QString file(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    QString databasePath() const { return file(QStringLiteral("Korvina.Kys")); }

    // Runs one SQL statement on the open connection.
    void exec(const QString& sql) const;
    // The first column of the first row of a query, as text ("" when there is no row).
    QString scalar(const QString& sql) const;
    // Every row of a query, its cells as text joined with "|".
    QStringList rows(const QString& sql) const;
    int count(const QString& table) const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ProgramState> m_state;
};

class PgTestServer;

// The two database backends as rows of a test's global data ("file" and "server"): every test
// function then runs once on each. folderOptions() gives the current row's options, with a
// fresh database on the server for the server row.
void addBackendRows();
TestDataFolder::Options folderOptions(PgTestServer& server, TestDataFolder::Options options = {});
bool onServer(); // the current global row is "server"

// Runs `action` on the next modal window as soon as it is shown (so a test never blocks on one).
// A window that does not come fails the test: at the latest when its data folder goes.
void onNextModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);
// The same for the first modal window that `matches`; others that show first are passed over.
void onModalMatching(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> action, int timeoutMs);
// The same for the first modal window of type T.
template <class T>
void onModal(std::function<void(T*)> action, int timeoutMs = 60000)
{
    onModalMatching([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                    [action](QWidget* w) { action(static_cast<T*>(w)); }, timeoutMs);
}

// The bytes of a file; empty when it cannot be read.
QByteArray fileContents(const QString& path);
// Writes bytes as the whole of a file, making its folder; false when it cannot.
bool writeFile(const QString& path, const QByteArray& bytes);

// Writes a self-signed certificate for 127.0.0.1 (cert.pem) and its key (key.pem) into folder;
// the certificate serves the client as its CA file. The test fails when openssl does.
void writeTestCertificate(const QString& folder);
