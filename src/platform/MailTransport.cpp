#include "platform/MailTransport.h"

#include "platform/SendmailTransport.h"
#include "platform/SmtpTransport.h"

MailTransportKind mailTransportKind(const QString& mailType)
{
    if (mailType == QLatin1String("O"))
        return MailTransportKind::Desktop;
    if (mailType == QLatin1String("S"))
        return MailTransportKind::Smtp;
    return MailTransportKind::None;
}

QString mailFailureReason(MailFailure failure)
{
    switch (failure) {
    case MailFailure::Message:
        break;
    case MailFailure::Connection:
        return QStringLiteral("the mail server cannot be reached");
    case MailFailure::Encryption:
        return QStringLiteral("no secure connection to the mail server");
    case MailFailure::NoEncryption:
        return QStringLiteral("the mail server offers no encryption");
    case MailFailure::Authentication:
        return QStringLiteral("the mail server refused the log-in");
    case MailFailure::Sender:
        return QStringLiteral("the mail server refused the sender");
    case MailFailure::Program:
        return QStringLiteral("the mail program cannot be started");
    }
    return QStringLiteral("the message was refused");
}

void applyMailEnvironment(MailSettings& settings)
{
    settings.sendmail = qEnvironmentVariable("KORVINA_SENDMAIL");
    settings.caFile = qEnvironmentVariable("KORVINA_SMTP_CA_FILE");
}

std::unique_ptr<MailTransport> MailTransport::create(MailTransportKind kind, const MailSettings& settings)
{
    switch (kind) {
    case MailTransportKind::Desktop:
        return std::make_unique<SendmailTransport>(settings);
    case MailTransportKind::Smtp:
        return std::make_unique<SmtpTransport>(settings);
    case MailTransportKind::None:
        break;
    }
    return nullptr;
}
