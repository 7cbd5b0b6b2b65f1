// GMime's headers come first: they use names that Qt's keywords would replace.
#include <gmime/gmime.h>

#include "platform/MailComposer.h"

#include "platform/AppError.h"
#include "platform/OneLine.h"

#include <QSysInfo>

namespace {
const QString source = QStringLiteral("MailComposer");

// GLib objects released at the end of a scope.
template <class T>
struct GObjectPtr {
    T* p;
    explicit GObjectPtr(T* object) : p(object) {}
    ~GObjectPtr() { if (p) g_object_unref(p); }
    GObjectPtr(const GObjectPtr&) = delete;
    GObjectPtr& operator=(const GObjectPtr&) = delete;
};

[[noreturn]] void refuse(const QString& what)
{
    throw AppError(MailErrors::BadAddress, source, what);
}

// One mailbox parsed by GMime from an address text; throws when it is not exactly one
// mailbox with a domain.
InternetAddressMailbox* parseMailbox(const QByteArray& text, InternetAddressList** keep)
{
    InternetAddressList* list = internet_address_list_parse(nullptr, text.constData());
    *keep = list;
    if (!list || internet_address_list_length(list) != 1)
        return nullptr;
    InternetAddress* address = internet_address_list_get_address(list, 0);
    if (!INTERNET_ADDRESS_IS_MAILBOX(address))
        return nullptr;
    auto* mailbox = INTERNET_ADDRESS_MAILBOX(address);
    const char* addr = internet_address_mailbox_get_addr(mailbox);
    const char* at = addr ? strchr(addr, '@') : nullptr;
    if (!at || at == addr || !at[1])
        return nullptr;
    return mailbox;
}

QByteArray messageIdDomain(const QByteArray& sender)
{
    const int at = sender.lastIndexOf('@');
    if (at >= 0 && at + 1 < sender.size())
        return sender.mid(at + 1);
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    return host.isEmpty() ? QByteArrayLiteral("localhost") : host;
}
}

// GMime counts its initialisations; it is never shut down, since a later composer would
// find its tables gone.
MailComposer::MailComposer() { g_mime_init(); }

MailComposer::~MailComposer() = default;

QString MailComposer::headerText(const QString& text) { return oneLine(text); }

MailComposer::Mailbox MailComposer::splitRecipient(const QString& text)
{
    const QString t = headerText(text).trimmed();
    const qsizetype open = t.lastIndexOf(QLatin1Char('<'));
    if (open < 0 || !t.endsWith(QLatin1Char('>')))
        return {QString(), t};
    return {t.left(open).trimmed(), t.mid(open + 1, t.size() - open - 2).trimmed()};
}

MailComposer::Composed MailComposer::compose(const MailMessage& message, const QDateTime& date, LineEnd lineEnd,
                                             FromHeader fromHeader) const
{
    Composed out;
    GObjectPtr<GMimeMessage> mime(g_mime_message_new(TRUE));

    // To: the name as typed (encoded when not ASCII), the address checked by GMime's parser.
    const Mailbox to = splitRecipient(message.recipient);
    if (to.address.isEmpty())
        refuse(QStringLiteral("No address for recipient \"%1\"").arg(message.recipient));
    InternetAddressList* parsed = nullptr;
    const QByteArray toAddress = to.address.toUtf8();
    InternetAddressMailbox* checked = parseMailbox(toAddress, &parsed);
    GObjectPtr<InternetAddressList> keepTo(parsed);
    if (!checked)
        refuse(QStringLiteral("Invalid address \"%1\"").arg(to.address));
    out.recipient = internet_address_mailbox_get_addr(checked);
    internet_address_list_add(g_mime_message_get_to(mime.p),
                              GObjectPtr<InternetAddress>(internet_address_mailbox_new(
                                  to.name.isEmpty() ? nullptr : to.name.toUtf8().constData(), out.recipient.constData()))
                                  .p);

    // From: as given ("Name <addr>" or a bare address); none when the mail system supplies it,
    // and then an unusable sender only leaves the Message-ID to the machine's name.
    const QString sender = headerText(message.sender).trimmed();
    QByteArray idDomain = messageIdDomain({});
    if (!sender.isEmpty()) {
        InternetAddressList* fromList = nullptr;
        InternetAddressMailbox* from = parseMailbox(sender.toUtf8(), &fromList);
        GObjectPtr<InternetAddressList> keepFrom(fromList);
        if (!from && fromHeader == FromHeader::Written)
            refuse(QStringLiteral("Invalid sender address \"%1\"").arg(sender));
        if (from)
            idDomain = messageIdDomain(internet_address_mailbox_get_addr(from));
        if (from && fromHeader == FromHeader::Written) {
            out.sender = internet_address_mailbox_get_addr(from);
            internet_address_list_add(g_mime_message_get_from(mime.p), INTERNET_ADDRESS(from));
        }
    }

    g_mime_message_set_subject(mime.p, headerText(message.subject).toUtf8().constData(), "utf-8");
    GDateTime* when = g_date_time_new_from_unix_local(date.toSecsSinceEpoch());
    g_mime_message_set_date(mime.p, when);
    g_date_time_unref(when);
    char* id = g_mime_utils_generate_message_id(idDomain.constData());
    g_mime_message_set_message_id(mime.p, id);
    g_free(id);

    // The body in UTF-8 with plain line feeds; the writer turns them into the transport's ends.
    QByteArray body = message.body.toUtf8();
    body.replace("\r\n", "\n");
    GObjectPtr<GMimeTextPart> part(
        g_mime_text_part_new_with_subtype(message.kind == BodyKind::Html ? "html" : "plain"));
    GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(body.constData(), size_t(body.size())));
    GObjectPtr<GMimeDataWrapper> content(g_mime_data_wrapper_new_with_stream(stream.p, GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(GMIME_PART(part.p), content.p);
    g_mime_text_part_set_charset(part.p, "utf-8");
    g_mime_part_set_content_encoding(
        GMIME_PART(part.p), g_mime_part_get_best_content_encoding(GMIME_PART(part.p), GMIME_ENCODING_CONSTRAINT_7BIT));
    g_mime_message_set_mime_part(mime.p, GMIME_OBJECT(part.p));

    GMimeFormatOptions* options = g_mime_format_options_clone(nullptr);
    g_mime_format_options_set_newline_format(
        options, lineEnd == LineEnd::CrLf ? GMIME_NEWLINE_FORMAT_DOS : GMIME_NEWLINE_FORMAT_UNIX);
    char* text = g_mime_object_to_string(GMIME_OBJECT(mime.p), options);
    g_mime_format_options_free(options);
    out.data = QByteArray(text);
    g_free(text);
    return out;
}
