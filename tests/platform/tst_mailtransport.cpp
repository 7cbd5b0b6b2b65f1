// Mail sent over SMTP and through the desktop's mail program, and replies read from an IMAP
// mailbox.
#include "PlatformFixture.h"
#include "common/ImapServer.h"
#include "common/MailServer.h"
#include "common/TestSupport.h"

#include "platform/AppError.h"
#include "platform/HtmlText.h"
#include "platform/ImapMailbox.h"
#include "platform/MailComposer.h"
#include "platform/SendmailTransport.h"
#include "platform/SmtpTransport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
MailMessage letter(const QString& recipient, const QString& subject, const QString& body, BodyKind kind = BodyKind::PlainText)
{
    MailMessage message;
    message.recipient = recipient;
    message.subject = subject;
    message.body = body;
    message.kind = kind;
    message.sender = QStringLiteral("Korvina Sales <sales@korvina.test>");
    return message;
}

MailSettings smtpTo(const MailServer& server)
{
    MailSettings s;
    s.server = QStringLiteral("127.0.0.1");
    s.port = server.portText();
    return s;
}

// The error a send raises, or an empty text when it went out; *failure says what it hit.
QString sendError(MailTransport& transport, const MailMessage& message, MailFailure* failure = nullptr)
{
    try {
        transport.send(message);
    } catch (const AppError& e) {
        if (failure)
            *failure = dynamic_cast<const MailError*>(&e) ? static_cast<const MailError&>(e).failure() : MailFailure::Message;
        return QString::number(e.number()) + QLatin1Char(' ') + e.description();
    }
    return {};
}

MailboxSettings mailboxOf(const ImapServer& server)
{
    return {.server = QStringLiteral("127.0.0.1"), .port = server.portText(), .user = ImapServer::user(),
            .password = ImapServer::password(), .caFile = server.certificate()};
}

// A reply as it arrives in the office's mailbox.
QByteArray reply(const QByteArray& subject)
{
    return "From: Anna <anna@example.com>\r\nTo: office@korvina.test\r\nSubject: " + subject
        + "\r\nMessage-ID: <" + subject + "@example.com>\r\n\r\nDear office,\r\nplease call.\r\n";
}
}

class TestMailTransport : public QObject {
    Q_OBJECT
private slots:
    // Plain text and HTML, ASCII and not, short and very long lines, over one SMTP connection
    // that a refused recipient leaves usable.
    void messagesArriveAsComposed_data()
    {
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("html");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");

        QTest::newRow("plain ascii") << "Anna<anna@example.com>" << "Spring offers" << "Dear Anna,\r\nsee you.\r\n\r\nMgNews:12/04/2026-12"
                                     << false << "Anna" << "anna@example.com";
        QTest::newRow("non-ascii name and subject")
            << "Jürgen Østergård<jo@example.dk>" << "Grüße aus Köln – 10 % Rabatt" << "Schöne Grüße\nvon uns" << false
            << "Jürgen Østergård" << "jo@example.dk";
        QTest::newRow("html with a long line")
            << "Ravi<ravi@example.in>" << "Lead" << "<html><body><p>" + QString(3000, QLatin1Char('x')) + "</p></body></html>"
            << true << "Ravi" << "ravi@example.in";
        QTest::newRow("bare address") << "solo@example.org" << "Hi" << "text" << false << "" << "solo@example.org";
    }

    void messagesArriveAsComposed()
    {
        QFETCH(QString, recipient);
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(bool, html);

        MailServer server;
        SmtpTransport transport(smtpTo(server));
        transport.open();
        const MailMessage message = letter(recipient, subject, body, html ? BodyKind::Html : BodyKind::PlainText);
        QCOMPARE(sendError(transport, message), QString());
        // A refused recipient fails that message alone; the same connection carries the next one.
        MailFailure failure = MailFailure::Connection;
        const QString error = sendError(transport, letter(QStringLiteral("X<refuse@example.com>"), "s", "b"), &failure);
        QVERIFY2(error.contains(QLatin1String("550")) && error.contains(QLatin1String("refuse@example.com")), qPrintable(error));
        QCOMPARE(failure, MailFailure::Message);
        QCOMPARE(sendError(transport, message), QString());
        QVERIFY(server.waitFor(2));

        const ReceivedMail mail(server.message(0));
        QCOMPARE(mail.subject, subject);
        QTEST(mail.toName, "name");
        QTEST(mail.toAddress, "address");
        QCOMPARE(mail.contentType, html ? QStringLiteral("multipart/alternative") : QStringLiteral("text/plain"));
        if (!html)
            QCOMPARE(mail.charset.toLower(), QStringLiteral("utf-8"));
        QCOMPARE(QString(html ? mail.html : mail.plain).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed(),
                 QString(body).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).trimmed());
        QVERIFY(mail.from.contains(QLatin1String("sales@korvina.test")));
        for (const char* header : {"Date", "Message-Id", "MIME-Version"})
            QVERIFY2(mail.hasHeader(header), header);
        QVERIFY(mail.longestLine() <= 78);
        // The Message-ID is in the sender's domain.
        QVERIFY2(QRegularExpression("\nMessage-Id: <[^@>\\s]+@korvina\\.test>\r?\n").match(QString::fromLatin1(mail.raw)).hasMatch(),
                 mail.raw.constData());
        // Headers of a message that is not ASCII travel as encoded words only.
        const QByteArray head = mail.raw.left(mail.raw.indexOf("\r\n\r\n") + 1);
        QVERIFY(std::all_of(head.begin(), head.end(), [](char c) { return uchar(c) < 0x80; }));
    }

    // A customer's name or a subject holding CR, LF, NUL or another control character stays in
    // its own header; no header is added. An address that is not one mailbox is refused.
    void controlCharactersNeverReachHeaders_data()
    {
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("name"); // null: refused
        QTest::addColumn<QString>("shownSubject");
        const QString nul(QChar(0));
        QTest::newRow("empty address") << "Anna<>" << "s" << QString() << QString();
        QTest::newRow("nothing at all") << "" << "s" << QString() << QString();
        QTest::newRow("no domain") << "Anna<anna>" << "s" << QString() << QString();
        QTest::newRow("two addresses") << "Anna<a@x.com, b@y.com>" << "s" << QString() << QString();
        QTest::newRow("line break in the address") << "Eve<eve@example.com\r\nBcc: x@example.org>" << "s" << QString() << QString();
        QTest::newRow("CR LF in the name") << "Eve\r\nBcc: x@example.org<eve@example.com>" << "Offer"
                                           << "Eve  Bcc: x@example.org" << "Offer";
        QTest::newRow("CR LF in the subject") << "Eve<eve@example.com>" << "Offer\r\nBcc: x@example.org"
                                              << "Eve" << "Offer  Bcc: x@example.org";
        QTest::newRow("NUL, LF and a tab in a subject that is not ASCII")
            << "Jürgen<jo@example.de>" << "Grüße\n" + nul + "Bcc:\tx@example.org" << "Jürgen" << "Grüße  Bcc: x@example.org";
    }

    void controlCharactersNeverReachHeaders()
    {
        QFETCH(QString, recipient);
        QFETCH(QString, subject);
        QFETCH(QString, name);
        MailComposer composer;
        QByteArray raw;
        QCOMPARE(errorOf([&] {
                     raw = composer.compose(letter(recipient, subject, "b"), QDateTime::currentDateTime(), MailComposer::LineEnd::CrLf).data;
                 }),
                 name.isNull() ? MailErrors::BadAddress : 0);
        if (name.isNull())
            return;
        for (const QByteArray& line : raw.left(raw.indexOf("\r\n\r\n")).split('\n')) { // the header block
            QVERIFY2(!line.toLower().startsWith("bcc:"), line.constData());
            QVERIFY2(std::none_of(line.begin(), line.end(), [](char c) { return uchar(c) < 0x20 && c != '\r' && c != '\t'; }),
                     line.constData());
        }
        const ReceivedMail mail(raw);
        QCOMPARE(mail.toName, name);
        QTEST(mail.subject, "shownSubject");
    }

    // With a user name the password goes over an encrypted line only, and at most once a run:
    // a failure that ends the run is remembered and the server is not asked again.
    void secureServersWithAuthentication_data()
    {
        QTest::addColumn<MailServer::Tls>("tls");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<MailFailure>("failure");
        QTest::addColumn<int>("logins");
        const QString right = "s3cret-Pass";
        QTest::newRow("starttls, right password") << MailServer::Tls::StartTls << right << true << true << MailFailure::Message << 1;
        QTest::newRow("implicit tls, right password") << MailServer::Tls::Implicit << right << true << true << MailFailure::Message << 1;
        QTest::newRow("starttls, wrong password")
            << MailServer::Tls::StartTls << "wrong-Pass" << true << false << MailFailure::Authentication << 1;
        QTest::newRow("implicit tls, wrong password")
            << MailServer::Tls::Implicit << "wrong-Pass" << true << false << MailFailure::Authentication << 1;
        QTest::newRow("no encryption offered") << MailServer::Tls::None << right << true << false << MailFailure::NoEncryption << 0;
        QTest::newRow("unknown certificate") << MailServer::Tls::StartTls << right << false << false << MailFailure::Encryption << 0;
    }

    void secureServersWithAuthentication()
    {
        QFETCH(MailServer::Tls, tls);
        QFETCH(QString, password);
        QFETCH(bool, trusted);
        QFETCH(bool, delivered);
        QFETCH(MailFailure, failure);

        MailServer server({tls, QStringLiteral("mailer"), QStringLiteral("s3cret-Pass"), true});
        // The test server cannot listen on 465: the server name asks for TLS from the start instead.
        MailSettings settings = smtpTo(server);
        if (tls == MailServer::Tls::Implicit)
            settings.server = QStringLiteral("smtps://127.0.0.1");
        settings.user = QStringLiteral("mailer");
        settings.password = password;
        if (trusted)
            settings.caFile = server.certificate();
        SmtpTransport transport(settings);
        transport.open();
        QStringList heard;
        for (int i = 0; i < 2; ++i) {
            MailFailure hit = MailFailure::Message;
            const QString error = sendError(transport, letter(QStringLiteral("Anna<anna@example.com>"), "s", "b"), &hit);
            QVERIFY2(error.isEmpty() == delivered, qPrintable(error));
            QVERIFY2(!error.contains(password), "the password appears in an error");
            if (!delivered) {
                QCOMPARE(hit, failure);
                QVERIFY(endsRun(hit));
                if (i == 1)
                    QCOMPARE(server.commands(), heard); // the second message did not reach the server
            }
            heard = server.commands();
        }
        QTEST(int(heard.count("AUTH")), "logins");
        if (failure == MailFailure::NoEncryption)
            QCOMPARE(sendError(transport, letter("Anna<anna@example.com>", "s", "b")),
                     QString::number(MailErrors::SendFailed) + " The mail server offers no encryption; the password was not sent.");
        if (delivered)
            QVERIFY(server.waitFor(2));
        QCOMPARE(server.files().size(), delivered ? 2 : 0);
    }

    void portRules_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("url");
        QTest::newRow("empty") << "mail.example.com" << "" << "smtp://mail.example.com:25";
        QTest::newRow("submission") << "mail.example.com" << "587" << "smtp://mail.example.com:587";
        QTest::newRow("implicit tls") << "mail.example.com" << "465" << "smtps://mail.example.com:465";
        QTest::newRow("blanks around") << " mail.example.com " << " 465 " << "smtps://mail.example.com:465";
        QTest::newRow("tls named with the server") << "smtps://mail.example.com" << "2465" << "smtps://mail.example.com:2465";
        QTest::newRow("plain named with the server") << "smtp://mail.example.com" << "" << "smtp://mail.example.com:25";
    }

    void portRules()
    {
        QFETCH(QString, server);
        QFETCH(QString, port);
        MailSettings settings;
        settings.server = server;
        settings.port = port;
        QTEST(SmtpTransport(settings).url(), "url");
    }

    void desktopMailThroughSendmailProgram()
    {
        MailServer server;
        QTemporaryDir sent;
        MailSettings settings;
        settings.sendmail = QStringLiteral("msmtp --host 127.0.0.1 --port %1 --from desk@korvina.test").arg(server.port());
        settings.sentFolder = sent.filePath(QStringLiteral("Docs/Sent"));
        SendmailTransport transport(settings);
        transport.open();
        QCOMPARE(sendError(transport, letter(QStringLiteral("Ravi<ravi@example.in>"), "Offer", "<p>Hi</p>", BodyKind::Html)),
                 QString());
        QVERIFY(!sendError(transport, letter(QStringLiteral("X<refuse@example.com>"), "Offer", "b")).isEmpty());
        QVERIFY(server.waitFor(1));

        const ReceivedMail mail(server.message(0));
        QCOMPARE(mail.toAddress, QStringLiteral("ravi@example.in"));
        QCOMPARE(mail.parts, (QStringList{"multipart/alternative", "text/plain", "text/html"}));
        QVERIFY2(mail.from.contains(QLatin1String("desk@korvina.test")), qPrintable(mail.from)); // chosen by the mail system
        QVERIFY2(QRegularExpression("\nMessage-Id: <[^@>\\s]+@korvina\\.test>\r?\n").match(QString::fromLatin1(mail.raw)).hasMatch(),
                 mail.raw.constData());
        const QStringList copies = QDir(settings.sentFolder).entryList({QStringLiteral("*.eml")});
        QCOMPARE(copies.size(), 1); // only what was accepted
        QCOMPARE(ReceivedMail(fileContents(settings.sentFolder + QLatin1Char('/') + copies.first())).html.trimmed(),
                 QStringLiteral("<p>Hi</p>"));

        // A program that is not there cannot open, and nothing is sent without it.
        settings.sendmail = QStringLiteral("/nonexistent/sendmail");
        SendmailTransport missing(settings);
        QVERIFY_THROWS_EXCEPTION(AppError, missing.open());
        QVERIFY(sendError(missing, letter(QStringLiteral("A<a@b.com>"), "s", "b")).startsWith(QString::number(MailErrors::NoTransport)));
    }

    void htmlBecomesPlainText_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("plain");
        QTest::newRow("paragraphs, head and styles left out")
            << "<html><head><title>T</title><style>p{color:red}</style></head><body><p>One\n  two</p><p>Three<br>four</p>"
               "<script>var x = '<p>';</script></body></html>"
            << "One two\n\nThree\nfour";
        QTest::newRow("links keep their address")
            << "<p>See <a href=\"https://example.com/offer?a=1&amp;b=2\">our offer</a>, "
               "<a href='mailto:desk@example.com'>desk@example.com</a> or <a href=\"https://example.com\">https://example.com</a>.</p>"
            << "See our offer (https://example.com/offer?a=1&b=2), desk@example.com or https://example.com.";
        QTest::newRow("lists, nested and numbered")
            << "<p>Offers:</p><ul><li>Tea</li><li>Cups<ol><li>small</li><li>large</li></ol></li></ul><p>End</p>"
            << "Offers:\n\n- Tea\n- Cups\n  1. small\n  2. large\n\nEnd";
        QTest::newRow("entities and pictures")
            << "<div>Caf&eacute; &amp; b&#228;ckerei&nbsp;&#x20AC;5 <img src=\"cid:x\" alt=\"Logo\"></div>"
            << "Caf\u00e9 & b\u00e4ckerei \u20ac5 [Logo]";
        QTest::newRow("tables by rows") << "<table><tr><td>A</td><td>B</td></tr><tr><td>C</td></tr></table>"
                                        << "A B\nC";
        QTest::newRow("text after the document") << "<html><body><p>x</p></body></html>\r\n\r\nMgLead:12/04/2026-3"
                                                 << "x\n\nMgLead:12/04/2026-3";
    }

    void htmlBecomesPlainText()
    {
        QFETCH(QString, html);
        QTEST(HtmlText::toPlain(html), "plain");
    }

    // Listing, reading (which leaves unread messages unread) and moving to a new folder, with the
    // server's MOVE and, where a server has none, with copy, delete and expunge.
    void readsAndFilesMessages_data()
    {
        QTest::addColumn<bool>("move");
        QTest::newRow("server with MOVE") << true;
        QTest::newRow("server without MOVE") << false;
    }

    void readsAndFilesMessages()
    {
        QFETCH(bool, move);
        ImapServer server(ImapServer::Options{ImapServer::Tls::Required, move});
        ImapMailbox mailbox(mailboxOf(server));
        mailbox.open();
        QVERIFY(mailbox.list().isEmpty());

        server.deliver(reply("first"));
        server.deliver(reply("second"), true);
        server.deliver(reply("third"));
        const QList<ImapMailbox::Entry> entries = mailbox.list();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries.at(1).seen, true);
        QCOMPARE(entries.at(2).seen, false);
        QCOMPARE(mailbox.fetch(entries.at(0)), reply("first"));
        QCOMPARE(mailbox.fetch(entries.at(1)), reply("second"));
        QCOMPARE(mailbox.fetchHeader(entries.at(2)), reply("third").left(reply("third").indexOf("\r\n\r\n") + 4));
        QCOMPARE(mailbox.fetch(entries.at(2)), reply("third"));

        mailbox.ensureFolder(QStringLiteral("Korvina \"Replies\""));
        mailbox.ensureFolder(QStringLiteral("Korvina \"Replies\"")); // already there: left as it is
        mailbox.move(entries.at(0).uid, QStringLiteral("Korvina \"Replies\""));

        const QList<ImapServer::Stored> moved = server.messages(QStringLiteral("Korvina \"Replies\""));
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved.at(0).data, reply("first"));
        const QList<ImapServer::Stored> left = server.messages();
        QCOMPARE(left.size(), 2);
        QCOMPARE(left.at(0).flags, QStringLiteral("S"));
        QCOMPARE(left.at(1).data, reply("third"));
        QVERIFY2(!left.at(1).flags.contains(QLatin1Char('S')), "a message nobody read yet was marked read");
        QCOMPARE(mailbox.list().size(), 2);
    }

    // The password goes only over TLS to the server the CA file vouches for.
    void refusesUnsafeSessions_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("triedToLogIn");
        QTest::newRow("server without TLS") << false << true << ImapServer::password() << false;
        QTest::newRow("certificate not trusted") << true << false << ImapServer::password() << false;
        QTest::newRow("wrong password") << true << true << "Shelf-Lamp-41" << true;
    }

    void refusesUnsafeSessions()
    {
        QFETCH(bool, tls);
        QFETCH(bool, trusted);
        QFETCH(QString, password);
        QFETCH(bool, triedToLogIn);
        ImapServer server(ImapServer::Options{tls ? ImapServer::Tls::Required : ImapServer::Tls::None});
        server.deliver(reply("first"));
        MailboxSettings settings = mailboxOf(server);
        settings.password = password;
        if (!trusted)
            settings.caFile.clear();
        ImapMailbox mailbox(settings);
        QCOMPARE(errorOf([&] { mailbox.open(); }), MailboxErrors::CannotOpen);
        QCOMPARE(errorOf([&] { mailbox.list(); }), MailboxErrors::CannotOpen);
        // The server logs the end of the fixture's probe and of the session.
        QTRY_VERIFY(server.log().count(QLatin1String("Disconnected")) >= 2);
        QCOMPARE(server.log().count(QLatin1String("user=<office>")), triedToLogIn ? 1 : 0);
    }

    // A folder name typed in the preferences can never become a second command.
    void folderNamesAreQuoted_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("quoted");
        QTest::newRow("plain") << "Korvina" << QByteArray("\"Korvina\"");
        QTest::newRow("quote and backslash") << "a\"b\\c" << QByteArray("\"a\\\"b\\\\c\"");
        QTest::newRow("line break") << "X\r\nA9 DELETE INBOX" << QByteArray();
        QTest::newRow("wildcard") << "Rep*" << QByteArray();
        QTest::newRow("not ASCII") << "Rückläufer" << QByteArray();
        QTest::newRow("empty") << "" << QByteArray();
    }

    void folderNamesAreQuoted()
    {
        QFETCH(QString, folder);
        QFETCH(QByteArray, quoted);
        QByteArray made;
        const int error = errorOf([&] { made = ImapMailbox::quotedFolder(folder); });
        QCOMPARE(error, quoted.isEmpty() ? MailboxErrors::BadFolder : 0);
        QCOMPARE(made, quoted);
    }

    void stopEndsTheSession()
    {
        ImapServer server;
        ImapMailbox mailbox(mailboxOf(server));
        std::atomic<bool> stop = true;
        mailbox.setStopFlag(&stop);
        QCOMPARE(errorOf([&] { mailbox.open(); }), MailboxErrors::Stopped);
    }
};

QTEST_GUILESS_MAIN(TestMailTransport)
#include "tst_mailtransport.moc"
