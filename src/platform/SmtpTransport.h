#pragma once
#include "platform/MailComposer.h"
#include "platform/MailTransport.h"

#include <optional>

// Sends through an SMTP server with libcurl: port 465 (or a server named "smtps://host")
// speaks TLS from the start, any other port (25 when none is set) upgrades with STARTTLS.
// Without a user name STARTTLS is used whenever the server offers it; with one it is
// required, so that a password never travels in clear. One connection serves the whole run;
// a failure that ends the run is remembered, and the server is not asked again.
class SmtpTransport : public MailTransport {
public:
    explicit SmtpTransport(MailSettings settings);
    ~SmtpTransport() override;

    void open() override;
    void send(const MailMessage& message) override;
    void close() override;
    void abort() override;

    // The URL the transport talks to ("smtps://host:465", "smtp://host:25").
    QString url() const;

private:
    struct Curl;
    struct Line;
    [[noreturn]] void fail(int result, const QByteArray& recipient);

    MailSettings m_settings;
    MailComposer m_composer;
    std::unique_ptr<Line> m_line;
    std::unique_ptr<Curl> m_curl;
    std::optional<MailError> m_failure;
};
