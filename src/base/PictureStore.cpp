#include "base/PictureStore.h"

#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/DbBackend.h"

namespace PictureStore {

QString keep(Connection& c, MailPictures::Picture picture)
{
    if (picture.contentId.isEmpty())
        picture.contentId = MailPictures::contentId(picture.data);
    const ResultSet kept =
        c.backend().query(QStringLiteral("Select EId From kaPicture Where PCid = ?"), {picture.contentId});
    if (kept.rows.isEmpty())
        c.backend().execute(QStringLiteral("INSERT INTO kaPicture (EDate, PCid, PName, PType, PSize, PData) "
                                           "VALUES (?, ?, ?, ?, ?, ?)"),
                            {DateText::toIso(state().clock.today()), picture.contentId, picture.fileName.left(100),
                             QString::fromLatin1(picture.mimeType), qlonglong(picture.data.size()), picture.data});
    return picture.contentId;
}

std::optional<MailPictures::Picture> find(Connection& c, const QString& contentId)
{
    const ResultSet r = c.backend().query(
        QStringLiteral("Select PName, PType, PData From kaPicture Where PCid = ? ORDER BY EId"), {contentId});
    if (r.rows.isEmpty())
        return std::nullopt;
    const QVector<QVariant>& row = r.rows.first();
    return MailPictures::Picture{contentId, row.value(0).toString(), row.value(1).toString().toLatin1(),
                                 row.value(2).toByteArray()};
}

QVector<MailPictures::Picture> Cache::namedIn(Connection& c, const QString& html)
{
    QVector<MailPictures::Picture> pictures;
    for (const QString& id : MailPictures::contentIds(html)) {
        auto known = m_read.find(id);
        if (known == m_read.end())
            known = m_read.insert(id, find(c, id));
        if (*known)
            pictures << **known;
    }
    return pictures;
}

}
