#include "CampaignFixture.h"
#include "common/ImapServer.h"

#include "base/UnsubscribeToken.h"
#include "campaigns/KKReplies.h"
#include "platform/PlatformFixture.h"

#include <QUrlQuery>
#include <QtTest>

namespace {
const QString folderName = QStringLiteral("Korvina Replies");

QByteArray unsubscribe(const QString& token)
{
    return "From: Anna <anna@example.com>\r\nTo: unsubscribe@korvina.test\r\nSubject: unsubscribe-" + token.toLatin1()
        + "\r\nMessage-ID: <u1@example.com>\r\nMIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\n\r\n";
}

// A delivery status report as a mail server writes it, about one recipient; base64 codes the
// status part as some servers do.
QByteArray report(const QString& recipient, const QString& action, const QString& status, const QByteArray& returned,
                  bool base64 = false)
{
    QByteArray fields = "Reporting-MTA: dns; mx.example.net\r\nArrival-Date: Sat, 5 Dec 2026 10:00:00 +0000\r\n\r\n"
                        "Final-Recipient: rfc822; "
        + recipient.toLatin1() + "\r\nOriginal-Recipient: rfc822;" + recipient.toLatin1() + "\r\nAction: " + action.toLatin1()
        + "\r\nStatus: " + status.toLatin1() + "\r\nDiagnostic-Code: smtp; 550 " + status.toLatin1()
        + " <" + recipient.toLatin1() + ">: Recipient address\r\n    rejected: User unknown\r\n";
    if (base64)
        fields = "Content-Transfer-Encoding: base64\r\n\r\n" + fields.toBase64() + "\r\n";
    else
        fields = "\r\n" + fields;
    return "From: Mail Delivery System <MAILER-DAEMON@mx.example.net>\r\nTo: news@korvina.test\r\n"
           "Subject: Undelivered Mail Returned to Sender\r\nMessage-ID: <r1@mx.example.net>\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/report; report-type=delivery-status;\r\n\tboundary=\"b1\"\r\n\r\n"
           "--b1\r\nContent-Type: text/plain\r\n\r\nYour message could not be delivered.\r\n\r\n"
           "--b1\r\nContent-Type: message/delivery-status\r\n"
        + fields
        + "\r\n--b1\r\nContent-Type: text/rfc822-headers\r\n\r\n" + returned + "\r\n--b1--\r\n";
}

// The header of a campaign message, as a report returns it.
QByteArray sentHeader(const QString& recipient, const QString& token)
{
    return "From: Korvina <news@korvina.test>\r\nTo: <" + recipient.toLatin1()
        + ">\r\nSubject: Spring offers\r\nList-Unsubscribe: <mailto:unsubscribe@korvina.test?subject=unsubscribe-"
        + token.toLatin1() + ">\r\n";
}

QByteArray letter()
{
    return "From: Ravi <ravi@example.in>\r\nTo: office@korvina.test\r\nSubject: Re: Spring offers\r\n"
           "Message-ID: <l1@example.in>\r\n\r\nPlease unsubscribe me and call back.\r\n";
}

// The office mailbox of the preferences is the server's, whose certificate is trusted.
void useMailbox(const ImapServer& server)
{
    ProgramState& s = state();
    s.PImapSrvr = QStringLiteral("127.0.0.1");
    s.PImapPort = server.portText();
    s.PImapFolder = folderName;
    s.PSmtpUser = ImapServer::user();
    s.PPasscd = ImapServer::password();
    qputenv("KORVINA_IMAP_CA_FILE", server.certificate().toLocal8Bit());
}

// "address|reason|campaign" of every entry of the suppression list.
QStringList suppressionList()
{
    return rows(*state().connection, QStringLiteral("Select SAddress, SReason, SCampaign From kaSuppression Order By EId"));
}

struct RepliesFixture {
    explicit RepliesFixture(ImapServer::Options options = {}) : server(options)
    {
        useMailbox(server);
        state().PTokenPasscd = QString::fromLatin1(UnsubscribeToken::newKey());
        for (QString customer : {"anna@example.com", "Ravi@Example.IN", "jo@example.de", "o'brien@example.ie"})
            folder.exec(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst, CEmail, CType) VALUES ('2026-02-03', "
                                       "'-', '%1', 1)")
                            .arg(customer.replace(QLatin1Char('\''), QStringLiteral("''"))));
    }

    QString token(const char* table, int campaign, const QString& customerEmail) const
    {
        QString quoted = customerEmail;
        quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
        const qint64 id =
            folder.scalar(QStringLiteral("Select EId From ktCustomer Where CEmail = '%1'").arg(quoted)).toLongLong();
        return UnsubscribeToken::make(state().PTokenPasscd, {QLatin1String(table), campaign, id});
    }
    // The message of a row by its name.
    QByteArray message(const QString& name) const
    {
        const QString ravi = QStringLiteral("ravi@example.in"), obrien = QStringLiteral("o'brien@example.ie");
        const QByteArray sentToRavi = sentHeader(ravi, token("ktSNews", 3, QStringLiteral("Ravi@Example.IN")));
        QString anna = token("ktMLead", 12, QStringLiteral("anna@example.com"));
        if (name == QLatin1String("forged")) // one digit of the keyed hash changed
            anna.back() = anna.back() == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
        const QHash<QString, QByteArray> byName{
            {QStringLiteral("unsubscribe"), unsubscribe(anna)},
            {QStringLiteral("forged"), unsubscribe(anna)},
            {QStringLiteral("bounce"), report(ravi, QStringLiteral("failed"), QStringLiteral("5.1.1"), sentToRavi)},
            {QStringLiteral("bounce in base64"),
             report(QStringLiteral("jo@example.de"), QStringLiteral("failed"), QStringLiteral("5.2.1"), sentToRavi, true)},
            {QStringLiteral("bounce with an apostrophe"),
             report(obrien, QStringLiteral("failed"), QStringLiteral("5.1.1"), sentHeader(obrien, token("ktSNews", 3, obrien)))},
            {QStringLiteral("delayed"), report(ravi, QStringLiteral("delayed"), QStringLiteral("4.4.1"), sentToRavi)},
            // given up after days of a full mailbox: no permanent failure
            {QStringLiteral("expired"), report(ravi, QStringLiteral("failed"), QStringLiteral("4.4.7"), sentToRavi)},
            {QStringLiteral("stranger"), report(QStringLiteral("who@example.net"), QStringLiteral("failed"), QStringLiteral("5.1.1"), sentToRavi)}};
        return byName.value(name, letter());
    }
    TestDataFolder folder;
    ScriptedMessages messages;
    ImapServer server;
};
}

class TestProcessReplies : public QObject {
    Q_OBJECT
private slots:
    // Genuine unsubscribe requests and permanent failures of customers' addresses are put on the
    // suppression list and filed; every other message stays in the inbox exactly as it was.
    void handlesRepliesAndLeavesTheRest_data()
    {
        QTest::addColumn<QStringList>("mailbox");
        QTest::addColumn<QStringList>("handled");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("suppressed");

        QTest::newRow("report in base64, returned message of another customer")
            << QStringList{"bounce in base64"} << QStringList{"bounce in base64"}
            << "0 unsubscribed, 1 bounced, 0 other messages left alone" << QStringList{"jo@example.de|B|"};
        QTest::newRow("apostrophe in the address")
            << QStringList{"bounce with an apostrophe"} << QStringList{"bounce with an apostrophe"}
            << "0 unsubscribed, 1 bounced, 0 other messages left alone" << QStringList{"o'brien@example.ie|B|ktSNews 3"};
        for (const char* other : {"delayed", "expired", "stranger", "forged", "letter"})
            QTest::newRow(other) << QStringList{QLatin1String(other)} << QStringList{}
                                 << "0 unsubscribed, 0 bounced, 1 other message left alone" << QStringList{};
        QTest::newRow("all at once") << QStringList{"letter", "unsubscribe", "delayed", "bounce", "forged", "stranger"}
                                     << QStringList{"unsubscribe", "bounce"}
                                     << "1 unsubscribed, 1 bounced, 4 other messages left alone"
                                     << QStringList{"anna@example.com|U|ktMLead 12", "Ravi@Example.IN|B|ktSNews 3"};
    }
    void handlesRepliesAndLeavesTheRest()
    {
        QFETCH(QStringList, mailbox);
        QFETCH(QStringList, handled);
        QFETCH(QString, summary);
        QFETCH(QStringList, suppressed);
        RepliesFixture f;
        QList<QByteArray> left;
        for (const QString& name : mailbox) {
            f.server.deliver(f.message(name));
            if (!handled.contains(name))
                left << f.message(name);
        }

        KKReplies screen;
        QCOMPARE(screen.exec(), int(QDialog::Accepted));
        QCOMPARE(f.messages.shown, QStringList{summary});
        QCOMPARE(suppressionList(), suppressed);
        QCOMPARE(f.server.messages(folderName).size(), handled.size());
        const QList<ImapServer::Stored> inbox = f.server.messages();
        QCOMPARE(inbox.size(), left.size());
        for (const ImapServer::Stored& message : inbox) {
            QVERIFY(left.contains(message.data));
            QCOMPARE(message.flags, QString()); // still unread
        }
    }

    // The password never goes over a connection without TLS, a folder name cannot carry a command,
    // and a mailbox that is not set is said so: each once, with nothing read or written.
    void failureChangesNothing_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("said");
        QTest::newRow("server without TLS") << false << "127.0.0.1" << folderName << "no TLS";
        QTest::newRow("folder with a command") << true << "127.0.0.1" << "X\r\nA9 DELETE INBOX" << "folder name";
        QTest::newRow("no mailbox set") << true << "" << folderName << "Enter the IMAP server";
    }
    void failureChangesNothing()
    {
        QFETCH(bool, tls);
        QFETCH(QString, server);
        QFETCH(QString, folder);
        QFETCH(QString, said);
        RepliesFixture f(ImapServer::Options{tls ? ImapServer::Tls::Required : ImapServer::Tls::None});
        state().PImapSrvr = server;
        state().PImapFolder = folder;
        f.server.deliver(f.message(QStringLiteral("unsubscribe")));
        f.server.deliver(f.message(QStringLiteral("bounce")));

        KKReplies screen;
        QCOMPARE(screen.exec(), int(QDialog::Rejected));
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY2(f.messages.shown.at(0).contains(said), qPrintable(f.messages.shown.at(0)));
        QVERIFY(suppressionList().isEmpty());
        QCOMPARE(f.server.messages().size(), 2);
        QVERIFY(!f.server.log().contains(QLatin1String("Login: user=")) || tls);
    }

    // A campaign goes out; one customer presses her mail program's Unsubscribe, another's mailbox is
    // gone. Process Replies puts both on the suppression list.
    void repliesToASentCampaign()
    {
        CampaignFixture f;
        ImapServer office;
        f.addCustomers({"anna@example.com", "ravi@example.in"});
        const QString news = f.addNews(QStringLiteral("Spring offers"), QStringLiteral("Dear <<CFirst>>"));
        QVERIFY(f.run(CampaignKind::News, news));
        QVERIFY(f.server.waitFor(2));
        for (int i = 0; i < 2; ++i) {
            const ReceivedMail sent(f.server.message(i));
            if (sent.toAddress == QLatin1String("anna@example.com")) {
                const QUrl mailto(sent.listUnsubscribe.mid(1, sent.listUnsubscribe.size() - 2));
                office.deliver("From: Anna <anna@example.com>\r\nTo: " + mailto.path().toLatin1() + "\r\nSubject: "
                               + QUrlQuery(mailto).queryItemValue(QStringLiteral("subject")).toLatin1() + "\r\n\r\n");
            } else {
                const qsizetype end = sent.raw.indexOf("\r\n\r\n");
                const QByteArray header = sent.raw.left(end >= 0 ? end : sent.raw.indexOf("\n\n")) + "\r\n";
                office.deliver(report(sent.toAddress, QStringLiteral("failed"), QStringLiteral("5.1.1"), header));
            }
        }

        useMailbox(office);
        KKReplies screen;
        QCOMPARE(screen.exec(), int(QDialog::Accepted));
        QCOMPARE(f.messages.shown.last(), QStringLiteral("1 unsubscribed, 1 bounced, 0 other messages left alone"));
        QCOMPARE(suppressionList(), (QStringList{"anna@example.com|U|ktSNews 7", "ravi@example.in|B|ktSNews 7"}));
    }
    void cleanup() { qunsetenv("KORVINA_IMAP_CA_FILE"); }
};

QTEST_MAIN(TestProcessReplies)
#include "tst_processreplies.moc"
