#pragma once
#include "platform/MailPictures.h"

#include <QString>

// How a message body is to be read by the recipient's mail program.
enum class BodyKind { PlainText, Html };

// One message of a campaign, as the run hands it to a transport.
struct MailMessage {
    QString recipient;  // name + "<" + address + ">", as the run builds it
    QString subject;
    QString body;
    BodyKind kind = BodyKind::PlainText;
    QString sender;     // "From"; empty: left to the mail system
    QString replyTo;    // "Reply-To"; empty: none
    QString listUnsubscribe; // the List-Unsubscribe value ("<mailto:...>"); empty: none
    QVector<MailPictures::Picture> pictures; // kept pictures an HTML body may name by cid:
};

// Error numbers of the mail transports.
namespace MailErrors {
constexpr int BadAddress = 5101;   // the recipient or sender cannot be made into a mailbox
constexpr int NoTransport = 5102;  // the transport could not be opened
constexpr int SendFailed = 5103;   // the server or the mail program refused or failed
}
