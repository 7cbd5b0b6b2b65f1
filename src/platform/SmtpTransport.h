#pragma once
#include "platform/MailComposer.h"
#include "platform/MailTransport.h"

// Sends through an SMTP server with libcurl: port 465 (or a server named "smtps://host")
// speaks TLS from the start, any other port (25 when none is set) upgrades with STARTTLS
// whenever the server offers it. A user
// name switches authentication on. One connection serves the whole run; curl opens it with
// the first message and opens it again after a failure has closed it.
class SmtpTransport : public MailTransport {
public:
    explicit SmtpTransport(MailSettings settings);
    ~SmtpTransport() override;

    void open() override;
    void send(const MailMessage& message) override;

    // The URL the transport talks to ("smtps://host:465", "smtp://host:25").
    QString url() const;

private:
    struct Curl;
    MailSettings m_settings;
    MailComposer m_composer;
    std::unique_ptr<Curl> m_curl;
};
