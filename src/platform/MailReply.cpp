// GMime's headers come first: they use names that Qt's keywords would replace.
#include <gmime/gmime.h>

#include "platform/MailReply.h"

#include <QRegularExpression>

namespace {
// Owns one GObject reference.
template <class T>
struct Ref {
    T* p;
    explicit Ref(T* object) : p(object) {}
    ~Ref()
    {
        if (p)
            g_object_unref(p);
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
};

bool isType(GMimeObject* part, const char* type, const char* subtype)
{
    return g_mime_content_type_is_type(g_mime_object_get_content_type(part), type, subtype);
}

// The text of a part, transfer encoding undone.
QByteArray contentOf(GMimeObject* part)
{
    Ref<GMimeStream> stream(g_mime_stream_mem_new());
    if (GMIME_IS_PART(part)) {
        if (GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part)))
            g_mime_data_wrapper_write_to_stream(content, stream.p);
    } else if (GMIME_IS_MESSAGE_PART(part)) {
        if (GMimeMessage* message = g_mime_message_part_get_message(GMIME_MESSAGE_PART(part)))
            g_mime_object_write_to_stream(GMIME_OBJECT(message), nullptr, stream.p);
    }
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.p));
    return QByteArray(reinterpret_cast<const char*>(bytes->data), qsizetype(bytes->len));
}

// The field groups of a delivery status (RFC 3464 section 2.1): folded lines joined, names
// in lower case; the first group is about the message, each further one about a recipient.
using Fields = QMap<QByteArray, QByteArray>;

QList<Fields> fieldGroups(const QByteArray& text)
{
    QList<Fields> groups{Fields()};
    QByteArray last;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty()) {
            if (!groups.last().isEmpty())
                groups.append(Fields());
            last.clear();
        } else if ((line.startsWith(' ') || line.startsWith('\t')) && !last.isEmpty()) {
            groups.last()[last] += ' ' + line.trimmed();
        } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
            last = line.left(colon).trimmed().toLower();
            groups.last()[last] = line.mid(colon + 1).trimmed();
        }
    }
    return groups;
}

// "rfc822; Anna@Example.com" -> "Anna@Example.com"
QString addressOf(const QByteArray& field)
{
    QByteArray address = field.mid(field.indexOf(';') + 1).trimmed();
    if (address.startsWith('<') && address.endsWith('>'))
        address = address.mid(1, address.size() - 2);
    return QString::fromUtf8(address);
}

QStringList permanentFailures(const QByteArray& status)
{
    static const QRegularExpression permanent(QStringLiteral("^5\\.\\d{1,3}\\.\\d{1,3}\\b"));
    QStringList failed;
    const auto groups = fieldGroups(status);
    for (const auto& group : groups) {
        const QByteArray recipient = group.value("original-recipient", group.value("final-recipient"));
        if (recipient.isEmpty() || group.value("action").toLower() != "failed"
            || !permanent.match(QString::fromLatin1(group.value("status"))).hasMatch())
            continue;
        const QString address = addressOf(recipient);
        if (address.contains(QLatin1Char('@')))
            failed << address;
    }
    return failed;
}

QString returnedToken(const QByteArray& returned)
{
    static const QRegularExpression link(QStringLiteral("subject=unsubscribe-([A-Za-z0-9-]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return link.match(QString::fromUtf8(returned)).captured(1);
}

MailReply readReport(GMimeMultipart* report)
{
    MailReply reply;
    QByteArray returned;
    for (int i = 0; i < g_mime_multipart_get_count(report); ++i) {
        GMimeObject* part = g_mime_multipart_get_part(report, i);
        if (isType(part, "message", "delivery-status") || isType(part, "message", "global-delivery-status"))
            reply.failed << permanentFailures(contentOf(part));
        else if (isType(part, "message", "rfc822") || isType(part, "text", "rfc822-headers")
                 || isType(part, "message", "global") || isType(part, "message", "global-headers"))
            returned = contentOf(part);
    }
    if (!reply.failed.isEmpty()) {
        reply.kind = ReplyKind::Bounce;
        reply.token = returnedToken(returned);
    }
    return reply;
}

GMimeStream* memoryStream(const QByteArray& data)
{
    g_mime_init();
    return g_mime_stream_mem_new_with_buffer(data.constData(), size_t(data.size()));
}

// The parsed message.
struct Parsed {
    explicit Parsed(const QByteArray& raw)
        : stream(memoryStream(raw)), parser(g_mime_parser_new_with_stream(stream.p)), message(g_mime_parser_construct_message(parser.p, nullptr))
    {
    }
    // The token of a subject "unsubscribe-TOKEN"; empty for any other.
    QString requestToken() const
    {
        static const QRegularExpression request(QStringLiteral("^\\s*unsubscribe-(\\S+)\\s*$"),
                                                QRegularExpression::CaseInsensitiveOption);
        return message.p ? request.match(QString::fromUtf8(g_mime_message_get_subject(message.p))).captured(1) : QString();
    }
    // The body when it is a delivery status report.
    GMimeMultipart* report() const
    {
        GMimeObject* body = message.p ? g_mime_message_get_mime_part(message.p) : nullptr;
        if (!body || !GMIME_IS_MULTIPART(body) || !isType(body, "multipart", "report"))
            return nullptr;
        const char* type = g_mime_content_type_get_parameter(g_mime_object_get_content_type(body), "report-type");
        return type && g_ascii_strcasecmp(type, "delivery-status") == 0 ? GMIME_MULTIPART(body) : nullptr;
    }

    Ref<GMimeStream> stream;
    Ref<GMimeParser> parser;
    Ref<GMimeMessage> message;
};
}

MailReply readReply(const QByteArray& message)
{
    const Parsed parsed(message);
    if (GMimeMultipart* report = parsed.report())
        return readReport(report);
    MailReply reply;
    reply.token = parsed.requestToken();
    if (!reply.token.isEmpty())
        reply.kind = ReplyKind::Unsubscribe;
    return reply;
}

bool mayBeReply(const QByteArray& header)
{
    const Parsed parsed(header);
    return parsed.report() || !parsed.requestToken().isEmpty();
}
