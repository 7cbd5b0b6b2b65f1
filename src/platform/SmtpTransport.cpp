#include "platform/SmtpTransport.h"

#include <QDateTime>
#include <curl/curl.h>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QString source = QStringLiteral("SmtpTransport");
constexpr auto implicitTlsPort = QLatin1String("465");
constexpr auto defaultPort = QLatin1String("25");
constexpr long connectTimeoutSeconds = 30;
constexpr long stallTimeoutSeconds = 60; // below 1 byte/s for this long ends the transfer

// What a failed transfer hit, from curl's result, the last command we sent and the last reply.
MailFailure failureOf(CURLcode result, const QByteArray& command, long reply)
{
    switch (result) {
    case CURLE_USE_SSL_FAILED:
        return MailFailure::NoEncryption;
    case CURLE_LOGIN_DENIED:
    case CURLE_AUTH_ERROR:
        return MailFailure::Authentication;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_ENGINE_INITFAILED:
        return MailFailure::Encryption;
    default:
        break;
    }
    if (reply < 400 || reply == 421) // no refusal, or the server is closing the line
        return MailFailure::Connection;
    if (command == "MAIL")
        return MailFailure::Sender;
    if (command == "RCPT" || command == "DATA")
        return MailFailure::Message;
    return command == "AUTH" ? MailFailure::Authentication : MailFailure::Connection;
}
}

// The curl handle of the run and what one transfer reads and hears.
struct SmtpTransport::Curl {
    CURL* handle = nullptr;
    QByteArray upload;      // the message being sent
    qsizetype uploaded = 0;
    QByteArray lastCommand; // the verb of the last command we sent
    QByteArray lastReply;   // the server's last refusal, for the error listing
    char error[CURL_ERROR_SIZE] = {};

    ~Curl()
    {
        if (handle)
            curl_easy_cleanup(handle); // says QUIT and waits for the answer
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

    // Keeps the server's last refusal and the verb of each command we send; what follows a
    // verb (credentials included) is never looked at.
    static int trace(CURL*, curl_infotype type, char* data, size_t size, void* self)
    {
        auto* c = static_cast<Curl*>(self);
        const QByteArray line(data, qsizetype(std::min<size_t>(size, 4)));
        if (type == CURLINFO_HEADER_IN && size > 0 && (data[0] == '4' || data[0] == '5'))
            c->lastReply = QByteArray(data, qsizetype(size)).trimmed();
        static const QByteArrayList verbs{"EHLO", "HELO", "STAR", "AUTH", "MAIL", "RCPT", "DATA"}; // QUIT says nothing
        if (type == CURLINFO_HEADER_OUT && verbs.contains(line.toUpper()))
            c->lastCommand = line.toUpper();
        return 0;
    }
};

// The connection's socket, which abort() shuts down from another thread.
struct SmtpTransport::Line {
    std::mutex mutex;
    curl_socket_t socket = CURL_SOCKET_BAD;
    bool cut = false;

    static curl_socket_t open(void* self, curlsocktype, curl_sockaddr* address)
    {
        auto* line = static_cast<Line*>(self);
        std::lock_guard lock(line->mutex);
        if (line->cut)
            return CURL_SOCKET_BAD;
        line->socket = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        return line->socket;
    }
    static int close(void* self, curl_socket_t socket)
    {
        auto* line = static_cast<Line*>(self);
        {
            std::lock_guard lock(line->mutex);
            if (line->socket == socket)
                line->socket = CURL_SOCKET_BAD;
        }
        return ::close(socket);
    }
    void cutNow()
    {
        std::lock_guard lock(mutex);
        cut = true;
        if (socket != CURL_SOCKET_BAD)
            ::shutdown(socket, SHUT_RDWR);
    }
};

SmtpTransport::SmtpTransport(MailSettings settings) : m_settings(std::move(settings)), m_line(std::make_unique<Line>()) {}

SmtpTransport::~SmtpTransport() { close(); }

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
    const bool credentials = !m_settings.user.isEmpty();
    if (url().startsWith(QLatin1String("smtp:")))
        curl_easy_setopt(h, CURLOPT_USE_SSL, long(credentials ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    if (!m_settings.caFile.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, m_settings.caFile.toLocal8Bit().constData());
    if (credentials) {
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
    curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, &Line::open);
    curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, m_line.get());
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETFUNCTION, &Line::close);
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETDATA, m_line.get());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, connectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, stallTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
}

void SmtpTransport::send(const MailMessage& message)
{
    if (m_failure)
        throw *m_failure;
    if (!m_curl)
        throw AppError(MailErrors::NoTransport, source, QStringLiteral("The SMTP transport is not open"));
    const MailComposer::Composed mail = m_composer.compose(message, QDateTime::currentDateTime(), MailComposer::LineEnd::CrLf);

    CURL* h = m_curl->handle;
    m_curl->upload = mail.data;
    m_curl->uploaded = 0;
    m_curl->lastReply.clear();
    m_curl->lastCommand.clear();
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
    if (result != CURLE_OK)
        fail(result, mail.recipient);
}

void SmtpTransport::fail(int result, const QByteArray& recipient)
{
    CURL* h = m_curl->handle;
    QString why = QString::fromUtf8(m_curl->error[0] ? m_curl->error : curl_easy_strerror(CURLcode(result)));
    long code = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
    if (code >= 400 && !m_curl->lastReply.isEmpty())
        why += QStringLiteral(" (") + QString::fromUtf8(m_curl->lastReply) + QLatin1Char(')');
    const MailFailure failure = failureOf(CURLcode(result), m_curl->lastCommand, code);
    const QString server = url();
    QString text;
    switch (failure) {
    case MailFailure::Message:
    case MailFailure::Program:
        text = QStringLiteral("Sending to %1 failed: %2").arg(QString::fromUtf8(recipient), why);
        break;
    case MailFailure::Connection:
        text = QStringLiteral("The mail server %1 cannot be reached: %2").arg(server, why);
        break;
    case MailFailure::Encryption:
        text = QStringLiteral("No secure connection to the mail server %1: %2").arg(server, why);
        break;
    case MailFailure::NoEncryption:
        text = QStringLiteral("The mail server offers no encryption; the password was not sent.");
        break;
    case MailFailure::Authentication:
        text = QStringLiteral("The mail server %1 refused the user name or password: %2").arg(server, why);
        break;
    case MailFailure::Sender:
        text = QStringLiteral("The mail server %1 refused the sender: %2").arg(server, why);
        break;
    }
    const MailError error(failure, MailErrors::SendFailed, source, text);
    if (endsRun(failure))
        m_failure = error;
    throw error;
}

void SmtpTransport::close() { m_curl.reset(); }

void SmtpTransport::abort() { m_line->cutNow(); }
