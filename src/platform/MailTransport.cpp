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
