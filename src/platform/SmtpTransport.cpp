#include "platform/SmtpTransport.h"

#include "platform/AppError.h"

#include <QDateTime>
#include <curl/curl.h>

namespace {
const QString source = QStringLiteral("SmtpTransport");
constexpr auto implicitTlsPort = QLatin1String("465");
constexpr auto defaultPort = QLatin1String("25");
constexpr long connectTimeoutSeconds = 30;
constexpr long stallTimeoutSeconds = 60; // below 1 byte/s for this long ends the transfer
}

// The curl handle of the run and what one transfer reads and hears.
struct SmtpTransport::Curl {
    CURL* handle = nullptr;
    QByteArray upload;      // the message being sent
    qsizetype uploaded = 0;
    QByteArray lastReply;   // the server's last reply line, for the error listing
    char error[CURL_ERROR_SIZE] = {};

    ~Curl()
    {
        if (handle)
            curl_easy_cleanup(handle);
        curl_global_cleanup();
    }

    static size_t read(char* buffer, size_t size, size_t count, void* self)
    {
        auto* c = static_cast<Curl*>(self);
        const size_t n = std::min(size * count, size_t(c->upload.size() - c->uploaded));
        memcpy(buffer, c->upload.constData() + c->uploaded, n);
        c->uploaded += qsizetype(n);
        return n;
    }

    // Keeps the server's last refusal; what we send (credentials included) is never looked at.
    static int trace(CURL*, curl_infotype type, char* data, size_t size, void* self)
    {
        if (type == CURLINFO_HEADER_IN && size > 0 && (data[0] == '4' || data[0] == '5'))
            static_cast<Curl*>(self)->lastReply = QByteArray(data, qsizetype(size)).trimmed();
        return 0;
    }
};

SmtpTransport::SmtpTransport(MailSettings settings) : m_settings(std::move(settings)) {}

SmtpTransport::~SmtpTransport() = default;

QString SmtpTransport::url() const
{
    const QString port = m_settings.port.trimmed().isEmpty() ? QString(defaultPort) : m_settings.port.trimmed();
    QString host = m_settings.server.trimmed();
    QString scheme = port == implicitTlsPort ? QStringLiteral("smtps") : QStringLiteral("smtp");
    // A server named with its scheme ("smtps://host") keeps it, whatever the port.
    for (const QString& named : {QStringLiteral("smtps"), QStringLiteral("smtp")}) {
        if (host.startsWith(named + QStringLiteral("://"), Qt::CaseInsensitive)) {
            scheme = named;
            host = host.mid(named.size() + 3);
            break;
        }
    }
    return scheme + QStringLiteral("://") + host + QLatin1Char(':') + port;
}

void SmtpTransport::open()
{
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        throw AppError(MailErrors::NoTransport, source, QStringLiteral("The mail library cannot start"));
    m_curl = std::make_unique<Curl>();
    CURL* h = m_curl->handle = curl_easy_init();
    if (!h) {
        m_curl.reset();
        throw AppError(MailErrors::NoTransport, source, QStringLiteral("The mail library cannot start"));
    }
    const QByteArray address = url().toUtf8();
    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    if (url().startsWith(QLatin1String("smtp:")))
        curl_easy_setopt(h, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    if (!m_settings.caFile.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, m_settings.caFile.toLocal8Bit().constData());
    if (!m_settings.user.isEmpty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, m_settings.user.toUtf8().constData());
        curl_easy_setopt(h, CURLOPT_PASSWORD, m_settings.password.toUtf8().constData());
    }
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_READFUNCTION, &Curl::read);
    curl_easy_setopt(h, CURLOPT_READDATA, m_curl.get());
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, &Curl::trace);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, m_curl.get());
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L); // feeds trace(), which keeps the server's replies only
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_curl->error);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, connectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, stallTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
}

void SmtpTransport::send(const MailMessage& message)
{
    if (!m_curl)
        throw AppError(MailErrors::NoTransport, source, QStringLiteral("The SMTP transport is not open"));
    const MailComposer::Composed mail = m_composer.compose(message, QDateTime::currentDateTime(), MailComposer::LineEnd::CrLf);

    CURL* h = m_curl->handle;
    m_curl->upload = mail.data;
    m_curl->uploaded = 0;
    m_curl->lastReply.clear();
    m_curl->error[0] = '\0';
    const QByteArray from = '<' + mail.sender + '>';
    const QByteArray to = '<' + mail.recipient + '>';
    curl_slist* recipients = curl_slist_append(nullptr, to.constData());
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(mail.data.size()));
    const CURLcode result = curl_easy_perform(h);
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, nullptr);
    curl_slist_free_all(recipients);
    m_curl->upload.clear();
    if (result == CURLE_OK)
        return;

    QString why = QString::fromUtf8(m_curl->error[0] ? m_curl->error : curl_easy_strerror(result));
    long code = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
    if (code >= 400 && !m_curl->lastReply.isEmpty())
        why += QStringLiteral(" (") + QString::fromUtf8(m_curl->lastReply) + QLatin1Char(')');
    throw AppError(MailErrors::SendFailed, source,
                   QStringLiteral("Sending to %1 failed: %2").arg(QString::fromUtf8(mail.recipient), why));
}
