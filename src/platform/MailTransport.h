#pragma once
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

// Hands composed messages to a mail system. Open once per run, then send one message
// at a time; failures throw AppError with a description fit for the error listing.
// A transport is used by one thread at a time.
class MailTransport {
public:
    virtual ~MailTransport() = default;
    virtual void open() = 0;
    virtual void send(const MailMessage& message) = 0;

    // The transport of that kind, not yet opened; nullptr for MailTransportKind::None.
    static std::unique_ptr<MailTransport> create(MailTransportKind kind, const MailSettings& settings);
};
