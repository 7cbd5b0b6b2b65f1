#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

// Error numbers of the mailbox reader.
namespace MailboxErrors {
constexpr int CannotOpen = 5111;  // no connection, no TLS, or the log-in was refused
constexpr int Failed = 5112;      // the server refused or failed a command
constexpr int BadFolder = 5113;   // a folder name that cannot be given to the server
constexpr int Stopped = 5114;     // the user stopped the work
}

// The office mailbox: server, port ("993" or empty: TLS from the start; any other port:
// STARTTLS, which must succeed), user, password and the CA file of a private server.
struct MailboxSettings {
    QString server;
    QString port;
    QString user;
    QString password; // never written anywhere
    QString caFile;   // empty: the system's store
};

// The settings of the environment: KORVINA_IMAP_CA_FILE.
void applyMailboxEnvironment(MailboxSettings& settings);

// Reads and files the messages of an IMAP mailbox with libcurl over one connection. The
// password never goes over a connection without TLS. Reading a message leaves its flags as
// they were. Failures throw AppError. Used by one thread at a time.
class ImapMailbox {
public:
    explicit ImapMailbox(MailboxSettings settings);
    ~ImapMailbox();

    // The URL the mailbox talks to ("imaps://host:993", "imap://host:143").
    QString url() const;
    // Set from another thread: the transfer under way ends and throws MailboxErrors::Stopped.
    void setStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }

    // Connects and logs in.
    void open();

    struct Entry {
        qint64 uid = 0;
        bool seen = false;
    };
    // The messages of the inbox, oldest first.
    QList<Entry> list();
    // The whole message, as the server keeps it.
    QByteArray fetch(const Entry& entry);
    // Only its header.
    QByteArray fetchHeader(const Entry& entry);
    // Creates the folder unless it exists.
    void ensureFolder(const QString& folder);
    // Moves a message of the inbox to the folder.
    void move(qint64 uid, const QString& folder);

    // The folder as an IMAP string; throws MailboxErrors::BadFolder for an empty name, a
    // wildcard ("*", "%") or other than printable ASCII characters.
    static QByteArray quotedFolder(const QString& folder);

private:
    struct Curl;
    // Runs one command on the mailbox path of the URL ("INBOX", or "" for none) and returns
    // the server's untagged answer; with no command, fetches the message the path names.
    QByteArray run(const QByteArray& command, const QString& path);
    QByteArray fetchSection(const Entry& entry, const QString& section);

    MailboxSettings m_settings;
    std::unique_ptr<Curl> m_curl;
    QStringList m_capabilities;
    const std::atomic<bool>* m_stop = nullptr;
};
