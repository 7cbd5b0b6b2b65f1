#include "platform/ImapMailbox.h"

#include "platform/AppError.h"

#include <QRegularExpression>
#include <algorithm>
#include <utility>
#include <curl/curl.h>

namespace {
const QString source = QStringLiteral("ImapMailbox");
constexpr auto implicitTlsPort = QLatin1String("993");
constexpr auto inbox = QLatin1String("INBOX");
constexpr long connectTimeoutSeconds = 30;
constexpr long stallTimeoutSeconds = 60; // below 1 byte/s for this long ends the transfer
}

void applyMailboxEnvironment(MailboxSettings& settings)
{
    settings.caFile = qEnvironmentVariable("KORVINA_IMAP_CA_FILE");
}

// The curl handle of the session and what one transfer hears.
struct ImapMailbox::Curl {
    CURL* handle = nullptr;
    QByteArray received;
    QByteArray lastRefusal; // the server's last NO or BAD, for the error listing
    const std::atomic<bool>* stop = nullptr;
    char error[CURL_ERROR_SIZE] = {};

    ~Curl()
    {
        if (handle)
            curl_easy_cleanup(handle);
        curl_global_cleanup();
    }

    static size_t write(char* data, size_t size, size_t count, void* self)
    {
        static_cast<Curl*>(self)->received.append(data, qsizetype(size * count));
        return size * count;
    }

    // Keeps the server's refusals; what we send (credentials included) is never looked at.
    static int trace(CURL*, curl_infotype type, char* data, size_t size, void* self)
    {
        static const QRegularExpression refusal(QStringLiteral("^[A-Z]\\d+ (NO|BAD) "));
        if (type == CURLINFO_HEADER_IN) {
            const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
            if (refusal.match(QString::fromUtf8(line)).hasMatch())
                static_cast<Curl*>(self)->lastRefusal = line.mid(line.indexOf(' ') + 1);
        }
        return 0;
    }

    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        const std::atomic<bool>* stop = static_cast<Curl*>(self)->stop;
        return stop && stop->load() ? 1 : 0;
    }
};

ImapMailbox::ImapMailbox(MailboxSettings settings) : m_settings(std::move(settings)) {}

ImapMailbox::~ImapMailbox() = default;

QString ImapMailbox::url() const
{
    const QString port = m_settings.port.trimmed().isEmpty() ? QString(implicitTlsPort) : m_settings.port.trimmed();
    QString host = m_settings.server.trimmed();
    QString scheme = port == implicitTlsPort ? QStringLiteral("imaps") : QStringLiteral("imap");
    // A server named with its scheme ("imaps://host") keeps it, whatever the port.
    for (const QString& named : {QStringLiteral("imaps"), QStringLiteral("imap")}) {
        if (host.startsWith(named + QStringLiteral("://"), Qt::CaseInsensitive)) {
            scheme = named;
            host = host.mid(named.size() + 3);
            break;
        }
    }
    return scheme + QStringLiteral("://") + host + QLatin1Char(':') + port;
}

QByteArray ImapMailbox::quotedFolder(const QString& folder)
{
    const bool plain = !folder.isEmpty() && std::all_of(folder.begin(), folder.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != QLatin1Char('*') && c != QLatin1Char('%');
    });
    if (!plain)
        throw AppError(MailboxErrors::BadFolder, source,
                       QStringLiteral("The folder name \"%1\" must be plain letters, digits and signs").arg(folder));
    QByteArray quoted = folder.toLatin1();
    quoted.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + quoted + '"';
}

void ImapMailbox::open()
{
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        throw AppError(MailboxErrors::CannotOpen, source, QStringLiteral("The mail library cannot start"));
    m_curl = std::make_unique<Curl>();
    m_curl->stop = m_stop;
    CURL* h = m_curl->handle = curl_easy_init();
    if (!h) {
        m_curl.reset();
        throw AppError(MailboxErrors::CannotOpen, source, QStringLiteral("The mail library cannot start"));
    }
    // Every session logs in with the password, so every session is encrypted.
    curl_easy_setopt(h, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!m_settings.caFile.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, m_settings.caFile.toLocal8Bit().constData());
    curl_easy_setopt(h, CURLOPT_USERNAME, m_settings.user.toUtf8().constData());
    curl_easy_setopt(h, CURLOPT_PASSWORD, m_settings.password.toUtf8().constData());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Curl::write);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, m_curl.get());
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, &Curl::trace);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, m_curl.get());
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L); // feeds trace(), which keeps the server's refusals only
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Curl::progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, m_curl.get());
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_curl->error);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, connectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, stallTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    QByteArray answer;
    try {
        answer = run("CAPABILITY", QString());
    } catch (const AppError&) {
        m_curl.reset(); // no second try with credentials the server refused
        throw;
    }
    const qsizetype at = answer.indexOf("CAPABILITY ");
    const QString words = at < 0 ? QString() : QString::fromLatin1(answer.mid(at + 11, answer.indexOf('\n', at) - at - 11));
    m_capabilities = words.trimmed().toUpper().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QByteArray ImapMailbox::run(const QByteArray& command, const QString& path)
{
    if (!m_curl)
        throw AppError(MailboxErrors::CannotOpen, source, QStringLiteral("The mailbox is not open"));
    CURL* h = m_curl->handle;
    const QByteArray address = (url() + QLatin1Char('/') + path).toUtf8();
    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, command.isEmpty() ? nullptr : command.constData());
    m_curl->received.clear();
    m_curl->lastRefusal.clear();
    m_curl->error[0] = '\0';
    const CURLcode result = curl_easy_perform(h);
    if (result == CURLE_OK)
        return std::exchange(m_curl->received, {});

    if (result == CURLE_ABORTED_BY_CALLBACK)
        throw AppError(MailboxErrors::Stopped, source, QStringLiteral("Stopped"));
    QString why = QString::fromUtf8(m_curl->error[0] ? m_curl->error : curl_easy_strerror(result));
    if (result == CURLE_USE_SSL_FAILED)
        why = QStringLiteral("the server offers no TLS, so the password was not sent");
    if (!m_curl->lastRefusal.isEmpty())
        why += QStringLiteral(" (") + QString::fromUtf8(m_curl->lastRefusal) + QLatin1Char(')');
    const bool opening = m_capabilities.isEmpty();
    throw AppError(opening ? MailboxErrors::CannotOpen : MailboxErrors::Failed, source,
                   QStringLiteral("The mailbox %1 %2: %3")
                       .arg(url(), opening ? QStringLiteral("cannot be opened") : QStringLiteral("failed"), why));
}

QList<ImapMailbox::Entry> ImapMailbox::list()
{
    static const QRegularExpression fetched(QStringLiteral("^\\* \\d+ FETCH \\((.*)\\)\\s*$"),
                                            QRegularExpression::MultilineOption);
    static const QRegularExpression uid(QStringLiteral("UID (\\d+)"));
    static const QRegularExpression flags(QStringLiteral("FLAGS \\(([^)]*)\\)"));
    run("NOOP", inbox); // the server tells of messages that came since the mailbox was chosen
    // A search first: a fetch over an empty mailbox is an error on some servers.
    if (run("UID SEARCH ALL", inbox).simplified().split(' ').size() <= 2) // "* SEARCH" and no number
        return {};
    QList<Entry> entries;
    const QString answer = QString::fromUtf8(run("UID FETCH 1:* (FLAGS)", inbox));
    for (auto it = fetched.globalMatch(answer); it.hasNext();) {
        const QString items = it.next().captured(1);
        const qint64 n = uid.match(items).captured(1).toLongLong();
        const QStringList set = flags.match(items).captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (n > 0)
            entries.append({n, set.contains(QLatin1String("\\Seen"), Qt::CaseInsensitive)});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.uid < b.uid; });
    return entries;
}

QByteArray ImapMailbox::fetch(const Entry& entry) { return fetchSection(entry, QString()); }

QByteArray ImapMailbox::fetchHeader(const Entry& entry) { return fetchSection(entry, QStringLiteral("HEADER")); }

QByteArray ImapMailbox::fetchSection(const Entry& entry, const QString& section)
{
    QString path = QString(inbox) + QStringLiteral(";UID=") + QString::number(entry.uid);
    if (!section.isEmpty())
        path += QStringLiteral(";SECTION=") + section;
    const QByteArray message = run({}, path);
    // Fetching marks the message seen; one the office has not read yet stays unread.
    if (!entry.seen)
        run("UID STORE " + QByteArray::number(entry.uid) + " -FLAGS.SILENT (\\Seen)", inbox);
    return message;
}

void ImapMailbox::ensureFolder(const QString& folder)
{
    const QByteArray name = quotedFolder(folder);
    if (!run("LIST \"\" " + name, QString()).contains("* LIST "))
        run("CREATE " + name, QString());
}

void ImapMailbox::move(qint64 uid, const QString& folder)
{
    const QByteArray name = quotedFolder(folder);
    const QByteArray id = QByteArray::number(uid);
    if (m_capabilities.contains(QLatin1String("MOVE"))) {
        run("UID MOVE " + id + ' ' + name, inbox);
        return;
    }
    run("UID COPY " + id + ' ' + name, inbox);
    run("UID STORE " + id + " +FLAGS.SILENT (\\Deleted)", inbox);
    // Without UIDPLUS an expunge would take every deleted message; the office's mail program
    // removes this one later.
    if (m_capabilities.contains(QLatin1String("UIDPLUS")))
        run("UID EXPUNGE " + id, inbox);
}
