#include "PlatformFixture.h"
#include "common/ImapServer.h"

#include "platform/ImapMailbox.h"

#include <QtTest>

namespace {
MailboxSettings mailboxOf(const ImapServer& server)
{
    return {.server = QStringLiteral("127.0.0.1"), .port = server.portText(), .user = ImapServer::user(),
            .password = ImapServer::password(), .caFile = server.certificate()};
}

QByteArray letter(const QByteArray& subject)
{
    return "From: Anna <anna@example.com>\r\nTo: office@korvina.test\r\nSubject: " + subject
        + "\r\nMessage-ID: <" + subject + "@example.com>\r\n\r\nDear office,\r\nplease call.\r\n";
}
}

class TestImapMailbox : public QObject {
    Q_OBJECT
private slots:
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

        server.deliver(letter("first"));
        server.deliver(letter("second"), true);
        server.deliver(letter("third"));
        const QList<ImapMailbox::Entry> entries = mailbox.list();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries.at(1).seen, true);
        QCOMPARE(entries.at(2).seen, false);
        QCOMPARE(mailbox.fetch(entries.at(0)), letter("first"));
        QCOMPARE(mailbox.fetch(entries.at(1)), letter("second"));
        QCOMPARE(mailbox.fetchHeader(entries.at(2)), letter("third").left(letter("third").indexOf("\r\n\r\n") + 4));
        QCOMPARE(mailbox.fetch(entries.at(2)), letter("third"));

        mailbox.ensureFolder(QStringLiteral("Korvina \"Replies\""));
        mailbox.ensureFolder(QStringLiteral("Korvina \"Replies\"")); // already there: left as it is
        mailbox.move(entries.at(0).uid, QStringLiteral("Korvina \"Replies\""));

        const QList<ImapServer::Stored> moved = server.messages(QStringLiteral("Korvina \"Replies\""));
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved.at(0).data, letter("first"));
        const QList<ImapServer::Stored> left = server.messages();
        QCOMPARE(left.size(), 2);
        QCOMPARE(left.at(0).flags, QStringLiteral("S"));
        QCOMPARE(left.at(1).data, letter("third"));
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
        server.deliver(letter("first"));
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

QTEST_GUILESS_MAIN(TestImapMailbox)
#include "tst_imapmailbox.moc"
