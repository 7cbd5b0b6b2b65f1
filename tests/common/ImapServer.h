#pragma once
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real IMAP server (Debian's Dovecot) of the test's own on 127.0.0.1 and a free port: its
// configuration, user file, certificate, log and one mailbox live in a temporary folder; no
// system configuration and no system service is used. It stops when the object goes. When
// the tests run as root, the mailbox belongs to "nobody" (Dovecot refuses mail access as root).
class ImapServer {
public:
    enum class Tls { Required, None };
    struct Options {
        Tls tls = Tls::Required; // None: no TLS at all, and log-in in clear text is allowed
        bool move = true;        // false: the server does not offer MOVE
    };
    ImapServer() : ImapServer(Options{}) {}
    explicit ImapServer(const Options& options);
    ~ImapServer();
    ImapServer(const ImapServer&) = delete;
    ImapServer& operator=(const ImapServer&) = delete;

    QString portText() const { return QString::number(m_port); }
    // The server's certificate, to be trusted as a CA file by the client.
    QString certificate() const { return m_dir.filePath(QStringLiteral("cert.pem")); }
    static QString user() { return QStringLiteral("office"); }
    static QString password() { return QStringLiteral("Shelf-Lamp-42"); }

    // Puts a message into a folder ("INBOX" or another) as a delivery agent would.
    void deliver(const QByteArray& message, bool seen = false, const QString& folder = QStringLiteral("INBOX"));

    struct Stored {
        QByteArray data;
        QString flags; // the maildir flags: "S" seen, "T" deleted ...
    };
    // The messages of a folder, as the server keeps them.
    QList<Stored> messages(const QString& folder = QStringLiteral("INBOX")) const;
    // The server's log.
    QString log() const;

private:
    QString folderPath(const QString& folder) const;
    void writeConfiguration(const Options& options);
    void handOver() const;

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    int m_delivered = 0;
};
