#pragma once
#include "platform/MailComposer.h"
#include "platform/MailTransport.h"

#include <QStringList>

// Hands each message to the desktop's own mail system through its sendmail-compatible
// program ("/usr/sbin/sendmail -t -oi", or the command in the settings followed by
// "-t -oi"), which reads the recipients from the message. No From is written here; the mail
// system supplies it (the message's sender names only the Message-ID's domain). A copy of
// every message it accepts is kept in the sent folder.
class SendmailTransport : public MailTransport {
public:
    explicit SendmailTransport(MailSettings settings);

    void open() override;
    void send(const MailMessage& message) override;

    QString program() const { return m_program; }
    QStringList arguments() const { return m_arguments; }

private:
    void keepCopy(const QByteArray& data);

    MailSettings m_settings;
    MailComposer m_composer;
    QString m_program;
    QStringList m_arguments;
    int m_copies = 0;
};
