#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// What a message in the office mailbox is to the campaigns.
enum class ReplyKind {
    Other,       // anything else: left alone
    Unsubscribe, // a request to the unsubscribe address, subject "unsubscribe-TOKEN"
    Bounce,      // a delivery status report (RFC 3464) with at least one permanent failure
};

struct MailReply {
    ReplyKind kind = ReplyKind::Other;
    // Unsubscribe: the token of the subject. Bounce: the token of the returned message's
    // List-Unsubscribe, when the report returned it; empty otherwise.
    QString token;
    // Bounce: the recipients that failed for good (status 5.x.x), as the report names them.
    QStringList failed;
};

// Reads one message as the server keeps it, with a MIME parser. A report whose failures are
// all temporary (4.x.x) is Other: the mail may yet arrive.
MailReply readReply(const QByteArray& message);
// Whether a message with this header may be a reply at all; the rest need not be read.
bool mayBeReply(const QByteArray& header);
