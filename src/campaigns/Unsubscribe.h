#pragma once
#include "platform/MailMessage.h"

#include <QString>

// How a campaign message says it can be unsubscribed from: a List-Unsubscribe header that
// mail programs offer as a button, and a visible last line of the body. Both ask for a mail
// to the office's unsubscribe address whose subject carries the recipient's token.
namespace Unsubscribe {

struct Request {
    QString address; // where the request goes (the unsubscribe preference, else the sender)
    QString token;   // UnsubscribeToken::make for this recipient and campaign
};

QString subject(const Request& request);  // "unsubscribe-TOKEN"
QString mailto(const Request& request);   // "mailto:ADDRESS?subject=unsubscribe-TOKEN"
QString header(const Request& request);   // "<mailto:...>", the List-Unsubscribe value

// The body with the unsubscribe line after everything else: a paragraph with a mailto
// link for HTML, a line of its own for plain text.
QString appendLine(const QString& body, BodyKind kind, const Request& request);

// The address requests go to: the unsubscribe preference, else the sender's address.
QString address(const QString& unsubscribePreference, const QString& sender);
}
