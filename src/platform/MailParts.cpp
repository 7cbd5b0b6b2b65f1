// GMime's headers come first: they use names that Qt's keywords would replace.
#include <gmime/gmime.h>

#include "platform/MailParts.h"

#include "platform/HtmlText.h"

#include <algorithm>

namespace {

void setContent(GMimePart* part, const QByteArray& data, GMimeContentEncoding encoding)
{
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(data.constData(), size_t(data.size()));
    GMimeDataWrapper* content = g_mime_data_wrapper_new_with_stream(stream, GMIME_CONTENT_ENCODING_DEFAULT);
    g_mime_part_set_content(part, content);
    g_object_unref(content);
    g_object_unref(stream);
    g_mime_part_set_content_encoding(part, encoding);
}

// A UTF-8 text part with plain line feeds; the writer turns them into the transport's ends.
GMimeObject* textPart(const QString& text, const char* subtype)
{
    QByteArray body = text.toUtf8();
    body.replace("\r\n", "\n");
    GMimeTextPart* part = g_mime_text_part_new_with_subtype(subtype);
    setContent(GMIME_PART(part), body, GMIME_CONTENT_ENCODING_DEFAULT);
    g_mime_text_part_set_charset(part, "utf-8");
    g_mime_part_set_content_encoding(
        GMIME_PART(part), g_mime_part_get_best_content_encoding(GMIME_PART(part), GMIME_ENCODING_CONSTRAINT_7BIT));
    return GMIME_OBJECT(part);
}

GMimeObject* picturePart(const MailPictures::Picture& picture)
{
    const qsizetype slash = picture.mimeType.indexOf('/');
    const QByteArray type = picture.mimeType.left(slash), subtype = picture.mimeType.mid(slash + 1);
    GMimePart* part = g_mime_part_new_with_type(type.constData(), subtype.constData());
    setContent(part, picture.data, GMIME_CONTENT_ENCODING_BASE64);
    g_mime_object_set_content_id(GMIME_OBJECT(part), picture.contentId.toUtf8().constData());
    g_mime_object_set_disposition(GMIME_OBJECT(part), GMIME_DISPOSITION_INLINE);
    g_mime_part_set_filename(part, picture.fileName.toUtf8().constData());
    return GMIME_OBJECT(part);
}

// Adds a part to a multipart and drops the caller's reference.
void add(GMimeMultipart* multipart, GMimeObject* part)
{
    g_mime_multipart_add(multipart, part);
    g_object_unref(part);
}

GMimeObject* htmlWithPictures(QString html, const QVector<MailPictures::Picture>& kept)
{
    QVector<MailPictures::Picture> pictures = MailPictures::take(&html);
    for (const QString& id : MailPictures::contentIds(html)) {
        const auto named = [&id](const MailPictures::Picture& p) { return p.contentId == id; };
        const auto found = std::find_if(kept.cbegin(), kept.cend(), named);
        if (found != kept.cend() && std::none_of(pictures.cbegin(), pictures.cend(), named))
            pictures << *found;
    }
    GMimeObject* page = textPart(html, "html");
    if (pictures.isEmpty())
        return page;
    GMimeMultipart* related = g_mime_multipart_new_with_subtype("related");
    g_mime_object_set_content_type_parameter(GMIME_OBJECT(related), "type", "text/html");
    add(related, page);
    for (const MailPictures::Picture& picture : pictures)
        add(related, picturePart(picture));
    return GMIME_OBJECT(related);
}

}

namespace MailParts {

GMimeObject* body(const QString& text, BodyKind kind, const QVector<MailPictures::Picture>& kept)
{
    if (kind != BodyKind::Html)
        return textPart(text, "plain");
    GMimeMultipart* alternative = g_mime_multipart_new_with_subtype("alternative");
    add(alternative, textPart(HtmlText::toPlain(text) + QLatin1Char('\n'), "plain"));
    add(alternative, htmlWithPictures(text, kept));
    return GMIME_OBJECT(alternative);
}

}
