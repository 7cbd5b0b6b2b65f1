#include "platform/MailPictures.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QUrl>

namespace {
using MailPictures::Picture;

// A data: URI's picture ("data:image/png;base64,...").
bool fromDataUri(const QString& uri, Picture* picture)
{
    const qsizetype comma = uri.indexOf(QLatin1Char(','));
    if (comma < 0)
        return false;
    const QString head = uri.mid(5, comma - 5).trimmed();
    const QStringList parts = head.split(QLatin1Char(';'));
    const QString type = parts.value(0).trimmed().toLower();
    if (!type.startsWith(QLatin1String("image/")))
        return false;
    const QByteArray payload = uri.mid(comma + 1).toLatin1();
    picture->data = parts.contains(QLatin1String("base64"), Qt::CaseInsensitive)
                        ? QByteArray::fromBase64(QByteArray(payload).replace(' ', "").replace('\n', "").replace('\r', ""))
                        : QByteArray::fromPercentEncoding(payload);
    picture->mimeType = type.toLatin1();
    picture->fileName = QStringLiteral("picture.") + type.mid(6).section(QLatin1Char('+'), 0, 0);
    return !picture->data.isEmpty();
}

// A picture file on this machine ("file:///..." or an absolute path).
bool fromFile(const QString& source, Picture* picture)
{
    const QString path = source.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)
                             ? QUrl(source).toLocalFile()
                             : QUrl::fromPercentEncoding(source.toUtf8());
    if (path.isEmpty() || !QFileInfo(path).isAbsolute())
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.name().startsWith(QLatin1String("image/")))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    picture->data = file.readAll();
    picture->mimeType = type.name().toLatin1();
    picture->fileName = QFileInfo(path).fileName();
    return !picture->data.isEmpty();
}

QString unescapeAttribute(QString value)
{
    return value.replace(QLatin1String("&amp;"), QLatin1String("&")).replace(QLatin1String("&quot;"), QLatin1String("\""));
}
}

namespace MailPictures {

QVector<Picture> take(QString* html)
{
    static const QRegularExpression image(
        QStringLiteral("(<img\\b[^>]*?\\bsrc\\s*=\\s*)(\"([^\"]*)\"|'([^']*)')"),
        QRegularExpression::CaseInsensitiveOption);
    QVector<Picture> pictures;
    QString out;
    qsizetype last = 0;
    for (auto it = image.globalMatch(*html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString source = unescapeAttribute(m.capturedStart(3) >= 0 ? m.captured(3) : m.captured(4)).trimmed();
        Picture picture;
        const bool found = source.startsWith(QLatin1String("data:"), Qt::CaseInsensitive) ? fromDataUri(source, &picture)
                                                                                          : fromFile(source, &picture);
        if (!found)
            continue;
        picture.contentId = QString::fromLatin1(
                                QCryptographicHash::hash(picture.data, QCryptographicHash::Sha256).toHex().left(24))
                            + QStringLiteral("@korvina");
        bool known = false;
        for (const Picture& p : std::as_const(pictures))
            known = known || p.contentId == picture.contentId;
        if (!known)
            pictures << picture;
        out += html->mid(last, m.capturedStart() - last) + m.captured(1) + QStringLiteral("\"cid:") + picture.contentId
               + QLatin1Char('"');
        last = m.capturedEnd();
    }
    if (!pictures.isEmpty())
        *html = out + html->mid(last);
    return pictures;
}

}
