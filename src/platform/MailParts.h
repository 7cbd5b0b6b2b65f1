#pragma once
// For the composer only: include <gmime/gmime.h> before this header.
#include "platform/MailMessage.h"

#include <QString>

// The MIME body of a campaign message. Plain text is one text/plain part. HTML goes as
// multipart/alternative: a text/plain version made from the HTML first, then the HTML, which
// becomes multipart/related with its pictures when it shows any: those MailPictures takes out
// of it, and those of `kept` that it names by cid:. Texts are
// UTF-8 in the transfer encoding that keeps every line within the legal length.
namespace MailParts {
// A new object; the caller owns the reference.
GMimeObject* body(const QString& text, BodyKind kind, const QVector<MailPictures::Picture>& kept = {});
}
