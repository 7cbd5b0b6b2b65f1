#pragma once
#include <QByteArray>
#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real SMTP server (aiosmtpd under Debian's Python) on 127.0.0.1 and a free port, storing
// what it receives in a folder of its own. It stops when the object goes.
class MailServer {
public:
    enum class Tls { None, StartTls, Implicit };
    struct Options {
        Tls tls = Tls::None;
        QString user;      // non-empty: authentication required
        QString password;
        bool store = true; // false: messages are discarded
        bool answersQuit = true; // false: QUIT is never answered, as by a stalled server
    };
    MailServer() : MailServer(Options{}) {}
    explicit MailServer(const Options& options);
    ~MailServer();

    int port() const { return m_port; }
    QString portText() const { return QString::number(m_port); }
    // The server's self-made certificate, to be trusted as a CA file by the client.
    QString certificate() const { return m_dir.filePath(QStringLiteral("cert.pem")); }

    // The stored messages in the order they arrived.
    QStringList files() const;
    QByteArray message(int i) const;
    // The verb of every command received, in order ("EHLO", "AUTH", "MAIL"...).
    QStringList commands() const;
    // Waits until at least n messages have arrived; false on timeout.
    bool waitFor(int n, int timeoutMs = 10000) const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// What a stored message says, decoded by a real MIME parser.
struct ReceivedMail {
    explicit ReceivedMail(const QByteArray& data);
    QString subject;     // decoded
    QString toName;      // decoded display name of the first To mailbox
    QString toAddress;
    QString from;        // the From header as it stands
    QString contentType; // "text/plain", "text/html"; of the top part
    QString charset;
    QString body;        // decoded text of a single-part message
    QString replyTo;     // the Reply-To header as it stands
    QString listUnsubscribe;
    // Every part in tree order: "multipart/alternative", "text/plain", ...; a part with a
    // Content-ID has it after a blank ("image/png <p1@korvina>").
    QStringList parts;
    QString plain, html;           // decoded text of the first text/plain and text/html parts
    QHash<QString, QByteArray> contents; // decoded content of each part with a Content-ID, by that id
    QByteArray raw;
    bool hasHeader(const char* name) const;
    int longestLine() const; // of the raw message, without the line end
};
