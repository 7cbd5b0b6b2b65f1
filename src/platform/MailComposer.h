#pragma once
#include "platform/MailMessage.h"

#include <QByteArray>
#include <QDateTime>

// Builds an Internet message (RFC 5322 with MIME) from a MailMessage: From, To, Reply-To,
// List-Unsubscribe, Subject, Date, Message-ID (in the sender's domain) and MIME-Version
// headers, names and subjects cleaned of control characters and, when not ASCII, written as
// encoded words, and the body MailParts builds. Failures throw AppError.
class MailComposer {
public:
    enum class LineEnd { Lf, CrLf }; // LF for local mail programs, CR LF on the wire
    // Omitted: the mail system writes From; the sender still names the Message-ID's domain.
    enum class FromHeader { Written, Omitted };

    MailComposer();
    ~MailComposer();
    MailComposer(const MailComposer&) = delete;
    MailComposer& operator=(const MailComposer&) = delete;

    struct Composed {
        QByteArray data;       // the whole message
        QByteArray recipient;  // the envelope recipient address
        QByteArray sender;     // the envelope sender address ("" when the message has no From)
    };
    Composed compose(const MailMessage& message, const QDateTime& date, LineEnd lineEnd,
                     FromHeader fromHeader = FromHeader::Written) const;

    // A text fit for a header: control characters (CR, LF, NUL...) become blanks, so that
    // data can never end a header line or start another header.
    static QString headerText(const QString& text);

    // Splits a recipient text "Name<address>" (or a bare address) into name and address.
    struct Mailbox {
        QString name;
        QString address;
    };
    static Mailbox splitRecipient(const QString& text);
    // True when text is exactly one mailbox with a domain ("Name <a@b>" or "a@b").
    static bool isMailbox(const QString& text);
};
