#include <gmime/gmime.h>

#include "MailServer.h"

#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QtTest>

MailServer::MailServer(const Options& options)
{
    const QString folder = m_dir.filePath(QStringLiteral("mail"));
    QDir().mkpath(folder);
    QStringList args{QStringLiteral("-W"), QStringLiteral("ignore"), qEnvironmentVariable("KORVINA_SOURCE_DIR") + QStringLiteral("/tests/common/mailserver.py")};
    if (options.store)
        args << QStringLiteral("--folder") << folder;
    args << QStringLiteral("--commands") << m_dir.filePath(QStringLiteral("commands.log"));
    if (!options.answersQuit)
        args << QStringLiteral("--silent-quit");
    if (options.tls != Tls::None) {
        writeTestCertificate(m_dir.path());
        args << QStringLiteral("--tls") << (options.tls == Tls::StartTls ? QStringLiteral("starttls") : QStringLiteral("implicit"))
             << QStringLiteral("--cert") << certificate() << QStringLiteral("--key") << m_dir.filePath(QStringLiteral("key.pem"));
    }
    if (!options.user.isEmpty())
        args << QStringLiteral("--user") << options.user << QStringLiteral("--password") << options.password;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    QElapsedTimer clock;
    clock.start();
    while (m_port == 0 && clock.elapsed() < 20000) {
        m_process.waitForReadyRead(200);
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith("PORT "))
            m_port = line.mid(5).toInt();
        if (m_process.state() == QProcess::NotRunning)
            break;
    }
    QVERIFY2(m_port > 0, "the test SMTP server did not start");
}

MailServer::~MailServer()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QStringList MailServer::files() const
{
    QDir dir(m_dir.filePath(QStringLiteral("mail")));
    QStringList names = dir.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name);
    for (QString& n : names)
        n = dir.filePath(n);
    return names;
}

QStringList MailServer::commands() const
{
    return QString::fromLatin1(fileContents(m_dir.filePath(QStringLiteral("commands.log")))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray MailServer::message(int i) const { return fileContents(files().value(i)); }

bool MailServer::waitFor(int n, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return files().size() >= n; }, timeoutMs);
}

namespace {
QString decodedText(GMimeObject* part)
{
    char* text = g_mime_text_part_get_text(GMIME_TEXT_PART(part));
    const QString decoded = QString::fromUtf8(text);
    g_free(text);
    return decoded;
}

QByteArray decodedContent(GMimeObject* part)
{
    GMimeDataWrapper* wrapper = g_mime_part_get_content(GMIME_PART(part));
    GMimeStream* out = g_mime_stream_mem_new();
    g_mime_data_wrapper_write_to_stream(wrapper, out);
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out));
    const QByteArray data(reinterpret_cast<const char*>(bytes->data), int(bytes->len));
    g_object_unref(out);
    return data;
}

void walk(GMimeObject* part, ReceivedMail& mail)
{
    GMimeContentType* type = g_mime_object_get_content_type(part);
    const QString mimeType = QString::fromUtf8(g_mime_content_type_get_mime_type(type)).toLower();
    const char* id = g_mime_object_get_content_id(part);
    mail.parts << (id ? mimeType + QStringLiteral(" <") + QString::fromUtf8(id) + QLatin1Char('>') : mimeType);
    if (GMIME_IS_MULTIPART(part)) {
        for (int i = 0; i < g_mime_multipart_get_count(GMIME_MULTIPART(part)); ++i)
            walk(g_mime_multipart_get_part(GMIME_MULTIPART(part), i), mail);
        return;
    }
    if (mimeType == QLatin1String("text/plain") && mail.plain.isEmpty())
        mail.plain = decodedText(part);
    else if (mimeType == QLatin1String("text/html") && mail.html.isEmpty())
        mail.html = decodedText(part);
    if (id && GMIME_IS_PART(part))
        mail.contents.insert(QString::fromUtf8(id), decodedContent(part));
}
}

ReceivedMail::ReceivedMail(const QByteArray& data) : raw(data)
{
    g_mime_init();
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(data.constData(), size_t(data.size()));
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    if (message) {
        subject = QString::fromUtf8(g_mime_message_get_subject(message));
        InternetAddressList* to = g_mime_message_get_to(message);
        if (to && internet_address_list_length(to) > 0) {
            InternetAddress* a = internet_address_list_get_address(to, 0);
            toName = QString::fromUtf8(internet_address_get_name(a));
            if (INTERNET_ADDRESS_IS_MAILBOX(a))
                toAddress = QString::fromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a)));
        }
        from = QString::fromUtf8(g_mime_object_get_header(GMIME_OBJECT(message), "From"));
        replyTo = QString::fromUtf8(g_mime_object_get_header(GMIME_OBJECT(message), "Reply-To")).trimmed();
        listUnsubscribe = QString::fromUtf8(g_mime_object_get_header(GMIME_OBJECT(message), "List-Unsubscribe")).trimmed();
        GMimeObject* part = g_mime_message_get_mime_part(message);
        if (part) {
            walk(part, *this);
            contentType = parts.value(0).section(QLatin1Char(' '), 0, 0);
        }
        if (part && GMIME_IS_TEXT_PART(part)) {
            charset = QString::fromUtf8(g_mime_text_part_get_charset(GMIME_TEXT_PART(part)));
            body = decodedText(part);
        }
        g_object_unref(message);
    }
    g_object_unref(parser);
    g_object_unref(stream);
}

bool ReceivedMail::hasHeader(const char* name) const
{
    const QByteArray head = raw.left(raw.indexOf("\n\n") >= 0 ? raw.indexOf("\n\n") : raw.indexOf("\r\n\r\n"));
    return head.startsWith(QByteArray(name) + ':') || head.contains(QByteArray("\n") + name + ':');
}

int ReceivedMail::longestLine() const
{
    int longest = 0;
    for (QByteArray line : raw.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        longest = std::max(longest, int(line.size()));
    }
    return longest;
}
