#include "content/LeadPictures.h"

#include "base/Messages.h"
#include "base/PictureStore.h"
#include "platform/AppError.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSaveFile>

namespace {
// True to scale down, false to keep the original; nothing when the user cancels.
std::optional<bool> askScaleDown(const QSize& size)
{
    const QLocale c(QLocale::English);
    const int answer = Messages::current().choice(
        QStringLiteral("The picture is %1 pixels wide; mail programs show letters %2 pixels wide. Scale it down to %2 "
                       "pixels?")
            .arg(c.toString(size.width()), c.toString(LeadPictures::MaxWidth)),
        {QStringLiteral("Scale Down"), QStringLiteral("Keep Original")});
    if (answer < 0)
        return std::nullopt;
    return answer == 0;
}

QString altText(const QString& path)
{
    return QFileInfo(path).completeBaseName().replace(QRegularExpression(QStringLiteral("[-_.]+")), QStringLiteral(" ")).trimmed();
}
}

namespace LeadPictures {

std::optional<Inserted> fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Messages::current().notice(QStringLiteral("Cannot read the image %1!").arg(QDir::toNativeSeparators(path)));
        return std::nullopt;
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    if (image.isNull()) {
        Messages::current().notice(QStringLiteral("%1 is not an image!").arg(QDir::toNativeSeparators(path)));
        return std::nullopt;
    }
    Inserted inserted;
    inserted.alt = altText(path);
    inserted.size = image.size();
    MailPictures::Picture& picture = inserted.picture;
    picture.fileName = QFileInfo(path).fileName();
    file.seek(0);
    picture.mimeType = QMimeDatabase().mimeTypeForFileNameAndData(path, &file).name().toLatin1();
    file.seek(0);
    picture.data = file.readAll();
    const std::optional<bool> scale = image.width() > MaxWidth ? askScaleDown(image.size()) : false;
    if (!scale)
        return std::nullopt;
    if (*scale) {
        const QImage scaled = image.scaledToWidth(MaxWidth, Qt::SmoothTransformation);
        // A photograph stays a JPEG; anything else goes as PNG, which keeps every pixel.
        const bool photo = format == "jpeg";
        picture.data.clear();
        QBuffer buffer(&picture.data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, photo ? "jpeg" : "png");
        if (photo)
            writer.setQuality(88);
        writer.write(scaled);
        picture.mimeType = photo ? "image/jpeg" : "image/png";
        picture.fileName = QFileInfo(path).completeBaseName() + (photo ? QStringLiteral(".jpg") : QStringLiteral(".png"));
        inserted.size = scaled.size();
    }
    picture.contentId = MailPictures::contentId(picture.data);
    return inserted;
}

QString imageTag(const Inserted& inserted)
{
    return QStringLiteral("<img src=\"cid:%1\" alt=\"%2\" width=\"%3\" height=\"%4\">")
        .arg(inserted.picture.contentId.toHtmlEscaped(), inserted.alt.toHtmlEscaped())
        .arg(inserted.size.width())
        .arg(inserted.size.height());
}

QString fileName(const MailPictures::Picture& picture)
{
    QString stem = QFileInfo(picture.fileName).completeBaseName();
    stem.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]+")), QStringLiteral("_"));
    QString suffix = QString::fromLatin1(picture.mimeType.mid(picture.mimeType.indexOf('/') + 1)).section(QLatin1Char('+'), 0, 0);
    suffix.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")));
    if (suffix == QLatin1String("jpeg"))
        suffix = QStringLiteral("jpg");
    return (stem.isEmpty() ? QStringLiteral("picture") : stem.left(40)) + QLatin1Char('-') + picture.contentId.left(8)
           + QLatin1Char('.') + (suffix.isEmpty() ? QStringLiteral("img") : suffix);
}

QHash<QString, QString> writeFiles(Connection& connection, const QString& html, const QString& htmlPath)
{
    const QDir folder = QFileInfo(htmlPath).absoluteDir();
    PictureStore::Cache kept;
    QHash<QString, QString> files;
    for (const MailPictures::Picture& picture : kept.namedIn(connection, html)) {
        const QString name = fileName(picture);
        QSaveFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(picture.data) != picture.data.size() || !file.commit())
            throw AppError(75, QStringLiteral("SaveDocument"),
                           QStringLiteral("Path/File access error: %1").arg(QDir::toNativeSeparators(file.fileName())));
        files.insert(picture.contentId, name);
    }
    return files;
}

QString writeBeside(Connection& connection, const QString& html, const QString& htmlPath)
{
    const QHash<QString, QString> files = writeFiles(connection, html, htmlPath);
    if (files.isEmpty())
        return html;
    return MailPictures::rewriteSources(html, [&files](const QString& source) -> std::optional<QString> {
        if (!source.startsWith(QLatin1String("cid:"), Qt::CaseInsensitive) || !files.contains(source.mid(4)))
            return std::nullopt;
        return files.value(source.mid(4));
    });
}

}
