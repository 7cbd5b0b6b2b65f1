#pragma once
#include "platform/AppError.h"
#include "platform/MailMessage.h"

#include <QString>
#include <memory>

// Which way the campaign's messages leave the machine, from the "Mail Protocol" preference.
enum class MailTransportKind {
    None,      // any other value: nothing is sent
    Desktop,   // "O": the desktop's own mail system, through its sendmail-compatible program
    Smtp,      // "S": an SMTP server
};
MailTransportKind mailTransportKind(const QString& mailType); // exact, case-sensitive

// What a transport needs to know for one run.
struct MailSettings {
    QString server;        // PSmtpSrvr
    QString port;          // PSmtpPort, as text; empty: 25
    QString user;          // PSmtpUser; empty: no authentication
    QString password;      // PPasscd; never written anywhere
    QString caFile;        // certificates of a private server; empty: the system's store
    QString sendmail;      // the sendmail-compatible command; empty: the system's
    QString sentFolder;    // where the desktop transport keeps copies of what it sent
};

// The settings of the environment: KORVINA_SENDMAIL and KORVINA_SMTP_CA_FILE.
void applyMailEnvironment(MailSettings& settings);

// What a failed send hit: this message only, or every message after it as well.
enum class MailFailure {
    Message,        // an address refused or unusable: the next message may go
    Connection,     // the server cannot be reached, or broke off
    Encryption,     // no secure connection: the handshake failed or the certificate is not trusted
    NoEncryption,   // a user name is set but the server offers no encryption: no password went out
    Authentication, // the server refused the user name or password
    Sender,         // the server refused the sender address
    Program,        // the desktop's mail program cannot be started
};
inline bool endsRun(MailFailure failure) { return failure != MailFailure::Message; }
// Why a message was not sent after a failure that ends the run, for the delivery log.
QString mailFailureReason(MailFailure failure);

// A failed send: its description is a sentence for the user and the error listing.
class MailError : public AppError {
public:
    MailError(MailFailure failure, int number, QString source, QString description)
        : AppError(number, std::move(source), std::move(description)), m_failure(failure) {}
    MailFailure failure() const { return m_failure; }

private:
    MailFailure m_failure;
};

// Hands composed messages to a mail system. Open once per run, then send one message at a
// time, then close; failures throw AppError (MailError when the transport knows what it hit)
// with a description fit for the error listing. After a failure that ends the run, every
// later send throws it again without touching the network. A transport is used by one
// thread at a time, except abort().
class MailTransport {
public:
    virtual ~MailTransport() = default;
    virtual void open() = 0;
    virtual void send(const MailMessage& message) = 0;
    // Ends the run's connection politely (waits for the server's goodbye).
    virtual void close() {}
    // From any thread: cuts the connection at once, so that a wait in send() or close() ends.
    virtual void abort() {}

    // The transport of that kind, not yet opened; nullptr for MailTransportKind::None.
    static std::unique_ptr<MailTransport> create(MailTransportKind kind, const MailSettings& settings);
};
