#include "platform/MailPictures.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QUrl>

namespace {
using MailPictures::Picture;

// A picture file on this machine ("file:///..." or an absolute path).
std::optional<Picture> fromFile(const QString& source)
{
    const QString path = source.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)
                             ? QUrl(source).toLocalFile()
                             : QUrl::fromPercentEncoding(source.toUtf8());
    if (path.isEmpty() || !QFileInfo(path).isAbsolute())
        return std::nullopt;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.name().startsWith(QLatin1String("image/")))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Picture picture{{}, QFileInfo(path).fileName(), type.name().toLatin1(), file.readAll()};
    if (picture.data.isEmpty())
        return std::nullopt;
    return picture;
}

QString unescapeAttribute(QString value)
{
    return value.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString escapeAttribute(QString value)
{
    return value.replace(QLatin1Char('&'), QLatin1String("&amp;")).replace(QLatin1Char('"'), QLatin1String("&quot;"));
}
}

namespace MailPictures {

QString contentId(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex().left(24))
           + QStringLiteral("@korvina");
}

std::optional<Picture> fromDataUri(const QString& uri)
{
    if (!uri.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return std::nullopt;
    const qsizetype comma = uri.indexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    const QStringList parts = uri.mid(5, comma - 5).trimmed().split(QLatin1Char(';'));
    const QString type = parts.value(0).trimmed().toLower();
    if (!type.startsWith(QLatin1String("image/")))
        return std::nullopt;
    QByteArray payload = uri.mid(comma + 1).toLatin1();
    Picture picture;
    picture.data = parts.contains(QLatin1String("base64"), Qt::CaseInsensitive)
                       ? QByteArray::fromBase64(payload.replace(' ', "").replace('\n', "").replace('\r', ""))
                       : QByteArray::fromPercentEncoding(payload);
    picture.mimeType = type.toLatin1();
    picture.fileName = QStringLiteral("picture.") + type.mid(6).section(QLatin1Char('+'), 0, 0);
    if (picture.data.isEmpty())
        return std::nullopt;
    return picture;
}

QString rewriteSources(const QString& html, const Replace& replace)
{
    static const QRegularExpression image(QStringLiteral("(<img\\b[^>]*?\\bsrc\\s*=\\s*)(\"([^\"]*)\"|'([^']*)')"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    for (auto it = image.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString source = unescapeAttribute(m.capturedStart(3) >= 0 ? m.captured(3) : m.captured(4)).trimmed();
        const std::optional<QString> replaced = replace(source);
        if (!replaced)
            continue;
        out += QStringView(html).mid(last, m.capturedStart() - last);
        out += m.captured(1) + QLatin1Char('"') + escapeAttribute(*replaced) + QLatin1Char('"');
        last = m.capturedEnd();
    }
    if (last == 0)
        return html;
    return out + html.mid(last);
}

QStringList contentIds(const QString& html)
{
    QStringList ids;
    rewriteSources(html, [&ids](const QString& source) -> std::optional<QString> {
        if (source.startsWith(QLatin1String("cid:"), Qt::CaseInsensitive) && !ids.contains(source.mid(4)))
            ids << source.mid(4);
        return std::nullopt;
    });
    return ids;
}

QVector<Picture> take(QString* html, Sources sources)
{
    QVector<Picture> pictures;
    *html = rewriteSources(*html, [&](const QString& source) -> std::optional<QString> {
        std::optional<Picture> picture = fromDataUri(source);
        if (!picture && sources == Sources::DataUrisAndFiles && !source.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
            picture = fromFile(source);
        if (!picture)
            return std::nullopt;
        picture->contentId = contentId(picture->data);
        const bool known = std::any_of(pictures.cbegin(), pictures.cend(),
                                       [&](const Picture& p) { return p.contentId == picture->contentId; });
        if (!known)
            pictures << *picture;
        return QStringLiteral("cid:") + picture->contentId;
    });
    return pictures;
}

}
