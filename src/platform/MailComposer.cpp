// GMime's headers come first: they use names that Qt's keywords would replace.
#include <gmime/gmime.h>

#include "platform/MailComposer.h"

#include "platform/AppError.h"
#include "platform/MailParts.h"
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
    const qsizetype at = sender.lastIndexOf('@');
    if (at >= 0 && at + 1 < sender.size())
        return sender.mid(at + 1);
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    return host.isEmpty() ? QByteArrayLiteral("localhost") : host;
}

// Reply-To (checked like the sender) and List-Unsubscribe, each on one line.
void addReplyHeaders(GMimeMessage* mime, const MailMessage& message)
{
    const QString replyToText = oneLine(message.replyTo).trimmed();
    if (!replyToText.isEmpty()) {
        InternetAddressList* list = nullptr;
        InternetAddressMailbox* replyTo = parseMailbox(replyToText.toUtf8(), &list);
        GObjectPtr<InternetAddressList> keep(list);
        if (!replyTo)
            refuse(QStringLiteral("Invalid Reply-To address \"%1\"").arg(message.replyTo));
        internet_address_list_add(g_mime_message_get_reply_to(mime), INTERNET_ADDRESS(replyTo));
    }
    const QByteArray unsubscribe = oneLine(message.listUnsubscribe).toUtf8();
    if (!unsubscribe.trimmed().isEmpty())
        g_mime_object_set_header(GMIME_OBJECT(mime), "List-Unsubscribe", unsubscribe.trimmed().constData(), nullptr);
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

bool MailComposer::isMailbox(const QString& text)
{
    g_mime_init();
    InternetAddressList* list = nullptr;
    const bool ok = parseMailbox(text.trimmed().toUtf8(), &list) != nullptr;
    GObjectPtr<InternetAddressList> keep(list);
    return ok;
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

    addReplyHeaders(mime.p, message);

    g_mime_message_set_subject(mime.p, headerText(message.subject).toUtf8().constData(), "utf-8");
    GDateTime* when = g_date_time_new_from_unix_local(date.toSecsSinceEpoch());
    g_mime_message_set_date(mime.p, when);
    g_date_time_unref(when);
    char* id = g_mime_utils_generate_message_id(idDomain.constData());
    g_mime_message_set_message_id(mime.p, id);
    g_free(id);

    GObjectPtr<GMimeObject> body(MailParts::body(message.body, message.kind, message.pictures));
    g_mime_message_set_mime_part(mime.p, body.p);

    GMimeFormatOptions* options = g_mime_format_options_clone(nullptr);
    g_mime_format_options_set_newline_format(
        options, lineEnd == LineEnd::CrLf ? GMIME_NEWLINE_FORMAT_DOS : GMIME_NEWLINE_FORMAT_UNIX);
    char* text = g_mime_object_to_string(GMIME_OBJECT(mime.p), options);
    g_mime_format_options_free(options);
    out.data = QByteArray(text);
    g_free(text);
    return out;
}
