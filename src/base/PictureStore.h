#pragma once
#include "platform/MailPictures.h"

#include <QHash>
#include <optional>

class Connection;

// The letters' pictures (kaPicture), on the file and on the server alike so that every desk
// sees them: each under its Content-ID, which the HTML names it by ("cid:..."), with its file
// name, type, size in bytes and the bytes. A picture is never changed: another picture has
// another Content-ID.
namespace PictureStore {

// Keeps the picture, unless one of the same Content-ID is kept already, and returns the
// Content-ID (made from the bytes when the picture has none).
QString keep(Connection& connection, MailPictures::Picture picture);
std::optional<MailPictures::Picture> find(Connection& connection, const QString& contentId);

// The kept pictures of letters read one after another (a campaign run): each is read once.
class Cache {
public:
    // Those html names by cid:; a name with no picture kept under it is passed over.
    QVector<MailPictures::Picture> namedIn(Connection& connection, const QString& html);

private:
    QHash<QString, std::optional<MailPictures::Picture>> m_read;
};
}
