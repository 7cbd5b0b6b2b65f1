#include "CampaignFixture.h"

#include "campaigns/CampaignLetter.h"
#include "base/PictureStore.h"
#include "base/Suppression.h"

#include <QBuffer>
#include <QImage>

namespace {
QByteArray png(const QColor& colour)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}
}

class TestCampaignRun : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        qunsetenv("KORVINA_SMTP_CA_FILE");
        qunsetenv("KORVINA_SENDMAIL");
    }
    // Newsletters merge tags; leads go as stored; surveys get their link; every kind its footer.
    void eachKindBuildsItsLetter_data()
    {
        QTest::addColumn<CampaignKind>("kind");
        QTest::addColumn<QString>("footer");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("contentType");

        const QString news = "Dear <<CFirst>>, <<CFirst>> and <<CFirst>> of <<CCity>>; <<cfirst>> <<CNoSuch>> <<CCountry>>";
        QTest::newRow("news, no footer") << CampaignKind::News << "N" << news
                                         << "Dear Anna, Anna and Anna of Pune; <<cfirst>> <<CNoSuch>> India" << "text/plain";
        QTest::newRow("news, footer") << CampaignKind::News << "Y" << "Hi <<CFirst>>"
                                      << "Hi Anna\r\n\r\nMgNews:12/04/2026-{id}" << "text/plain";
        QTest::newRow("lead as stored") << CampaignKind::Lead << "N" << "<p>Hi <<CFirst>></p>" << "<p>Hi <<CFirst>></p>"
                                        << "multipart/alternative";
        QTest::newRow("lead, footer") << CampaignKind::Lead << "Y" << "<p>x</p>" << "<p>x</p>\r\n\r\nMgLead:12/04/2026-{id}"
                                      << "multipart/alternative";
        QTest::newRow("survey link and footer")
            << CampaignKind::Survey << "Y" << "<p>Tell us</p>"
            << "<p>Tell us</p><br><br>Survey Link:<br>http://example.com/s.htm<br>\r\n\r\nMgSurv:12/04/2026-{id}"
            << "multipart/alternative";
    }
    void eachKindBuildsItsLetter()
    {
        QFETCH(CampaignKind, kind);
        QFETCH(QString, footer);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QFETCH(QString, contentType);

        CampaignFixture f;
        state().PMailFoot = footer;
        f.addCustomer(f.type, " 'Anna'", "'anna@example.com '");
        f.addCustomer(f.type, "'Ravi'", "'ravi@example.in'", "'India'", "'Delhi'");
        f.addCustomer(f.type, "'Jürgen'", "'jo@example.de'", "'Germany'");
        f.addCustomer(f.otherType, "'Other'", "'other@example.com'");
        f.addCustomer(f.type, "' Anna'", "'anna2@example.com '"); // blanks around name and address
        const QString subject = kind == CampaignKind::News ? "Grüße, news" : kind == CampaignKind::Lead ? "Grüße, lead" : "Grüße, survey";
        const QString id = kind == CampaignKind::News ? f.addNews(subject, stored)
                           : kind == CampaignKind::Lead ? f.addLead(subject, stored)
                                                        : f.addSurvey(subject, stored, "http://example.com/s.htm");
        expected.replace("{id}", id);

        QVERIFY(f.run(kind, id, " ( CCountry = 'India' )"));
        QVERIFY(f.server.waitFor(3));
        QTest::qWait(200);
        QCOMPARE(f.server.files().size(), 3); // the Indian customers of the type, no one else

        const ReceivedMail first(f.server.message(0));
        QCOMPARE(first.subject, subject);
        QCOMPARE(first.contentType, contentType);
        // SMTP ends the last line of a message; the rest arrives as built, the unsubscribe line last.
        QString body = QString(kind == CampaignKind::News ? first.plain : first.html).replace("\r\n", "\n");
        QVERIFY(body.endsWith('\n'));
        body.chop(1);
        const qsizetype unsubscribe = body.lastIndexOf(kind == CampaignKind::News ? "\n\nTo stop receiving" : "\n<p ");
        QVERIFY2(unsubscribe > 0, qPrintable(body));
        QString token;
        const auto recipient = f.unsubscribeRecipient(first, &token);
        QVERIFY2(recipient, qPrintable(first.listUnsubscribe));
        QCOMPARE(recipient->campaignId, 7);
        QCOMPARE(QString::number(recipient->customerId), f.folder.scalar("Select Min(EId) From ktCustomer"));
        QVERIFY(body.mid(unsubscribe).contains("unsubscribe-" + token));
        QVERIFY(!body.mid(unsubscribe + 2).contains('\n'));
        body.truncate(unsubscribe);
        QCOMPARE(body, QString(expected).replace("\r\n", "\n"));
        const ReceivedMail trimmed(f.server.message(2));
        QCOMPARE(trimmed.toName, QStringLiteral("Anna"));
        QCOMPARE(trimmed.toAddress, QStringLiteral("anna2@example.com"));
        QVERIFY(trimmed.from.contains("news@korvina.test"));

        // Docking, a Linking and a Sending line per recipient, "Message(s) Sent!" and back to ".".
        QStringList steps{"Docking.."};
        for (const char* mail : {"anna@example.com ", "ravi@example.in", "anna2@example.com "})
            steps << QStringLiteral("Linking: %1 ..").arg(mail) << QStringLiteral("Sending: %1 ..").arg(mail);
        steps << ".";
        QCOMPARE(f.statuses, steps);
        QCOMPARE(f.messages.shown, QStringList{"Message(s) Sent!"});
    }

    // Every Null column of a recipient is one failed merge step, whether its tag is used or not;
    // its tag stays, and the rest of the message is merged and sent. A lead is not merged at all.
    void nullColumnKeepsItsTag_data()
    {
        QTest::addColumn<CampaignKind>("kind");
        QTest::addColumn<QString>("country");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("tag of the Null column used") << CampaignKind::News << "'India'" << "<<CFirst>> from <<CCity>> in <<CCountry>>"
                                                     << "Anna from <<CCity>> in India" << QStringList{"CCity"};
        QTest::newRow("tag of the Null column unused") << CampaignKind::News << "'India'" << "<<CFirst>> in <<CCountry>>"
                                                       << "Anna in India" << QStringList{"CCity"};
        QTest::newRow("two Null columns") << CampaignKind::News << "NULL" << "<<CFirst>> in <<CCountry>>"
                                          << "Anna in <<CCountry>>" << QStringList{"CCity", "CCountry"};
        QTest::newRow("lead is sent as stored") << CampaignKind::Lead << "NULL" << "<p><<CCity>></p>" << "<p><<CCity>></p>"
                                                << QStringList{};
    }
    void nullColumnKeepsItsTag()
    {
        QFETCH(CampaignKind, kind);
        QFETCH(QString, country);
        QFETCH(QString, message);
        QFETCH(QStringList, logged);
        CampaignFixture f;
        f.addCustomer(f.type, "'Anna'", "'anna@example.com'", country, "NULL");
        const QString id = kind == CampaignKind::News ? f.addNews("s", message) : f.addLead("s", message);
        QVERIFY(f.run(kind, id));
        QVERIFY(f.server.waitFor(1));
        QTEST(f.letter(0), "sent");
        QCOMPARE(f.messages.count("Error!"), logged.size());
        const QStringList lines = f.errorListing().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), logged.size());
        for (int i = 0; i < logged.size(); ++i)
            QVERIFY2(lines.at(i).contains(logged.at(i)), qPrintable(lines.at(i)));
        QCOMPARE(f.messages.count("Message(s) Sent!"), 1);
    }

    // Each failing message gives one error and one log line; the others still go out.
    void failedMessageIsLoggedAndRunGoesOn_data()
    {
        QTest::addColumn<QString>("email"); // SQL
        QTest::newRow("empty address") << "''";
        QTest::newRow("address the composer refuses") << "'not an address'";
        QTest::newRow("address the server refuses") << "'refuse@example.com'";
        QTest::newRow("line break and tab in the address") << "'b@example.com' || char(13, 10, 9) || 'Bcc: x@example.org'";
    }
    void failedMessageIsLoggedAndRunGoesOn()
    {
        QFETCH(QString, email);
        CampaignFixture f;
        f.addCustomer(f.type, "'A'", "'a@example.com'");
        f.addCustomer(f.type, "'B'", email);
        f.addCustomer(f.type, "'C'", "'c@example.com'");
        QVERIFY(f.run(CampaignKind::News, f.addNews("s", "b")));
        QVERIFY(f.server.waitFor(2));
        QCOMPARE(f.messages.shown, (QStringList{"Error!", "Message(s) Sent!"}));
        QCOMPARE(f.statuses.last(), QStringLiteral("."));
        // One line each in the delivery log and the error listing, whatever the address holds.
        const QStringList lines = f.deliveryLines();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.filter("\tsent").size(), 2);
        QCOMPARE(lines.at(1).count('\t'), 2);
        QVERIFY(!lines.join('\n').contains('\r'));
        QCOMPARE(f.errorListing().split('\n', Qt::SkipEmptyParts).size(), 1);
    }

    // The server down, the log-in refused, no encryption, an unknown certificate, no mail
    // program: one message says what failed, nothing goes out, every recipient is logged with the
    // reason, and the password is offered once at most.
    void serverFailureEndsRunOnce_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message"); // contained in the one message shown
        QTest::addColumn<QString>("reason");
        QTest::newRow("wrong password") << "password" << "refused the user name or password" << "the mail server refused the log-in";
        QTest::newRow("server not listening") << "down" << "cannot be reached" << "the mail server cannot be reached";
        QTest::newRow("no encryption offered") << "clear" << "The mail server offers no encryption; the password was not sent."
                                               << "the mail server offers no encryption";
        QTest::newRow("unknown certificate") << "certificate" << "No secure connection to the mail server"
                                             << "no secure connection to the mail server";
        QTest::newRow("no mail program") << "program" << "The mail program /nonexistent/sendmail cannot be found."
                                         << "the mail program cannot be started";
    }
    void serverFailureEndsRunOnce()
    {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        const bool tls = failure == "password" || failure == "certificate";
        CampaignFixture f(MailServer::Options{tls ? MailServer::Tls::StartTls : MailServer::Tls::None, "mailer", "right-Secret", true});
        ProgramState& s = state();
        s.PSmtpUser = "mailer";
        s.PPasscd = failure == "password" ? "Wrong-Secret-42" : "right-Secret";
        if (failure == "password")
            qputenv("KORVINA_SMTP_CA_FILE", f.server.certificate().toLocal8Bit());
        if (failure == "down")
            s.PSmtpPort = "1"; // nothing listens there
        if (failure == "program") {
            s.PMailType = "O";
            qputenv("KORVINA_SENDMAIL", "/nonexistent/sendmail");
        }
        f.addCustomers(4);

        QVERIFY(f.run(CampaignKind::News, f.addNews("s", "b")));
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY2(f.messages.shown.first().contains(message), qPrintable(f.messages.shown.first()));
        QCOMPARE(f.statuses.last(), QStringLiteral("."));
        QCOMPARE(f.server.files().size(), 0);
        QVERIFY(f.server.commands().count("AUTH") <= 1);
        QCOMPARE(f.deliveryLines().size(), 4);
        QCOMPARE(f.deliveryLines().filter("\tnot sent: " + reason).size(), 4);
        QCOMPARE(f.errorListing().split('\n', Qt::SkipEmptyParts).size(), 1);
        QVERIFY2(!(f.errorListing() + f.deliveryLines().join('\n')).contains(s.PPasscd), "a password was written down");
    }

    // A user who presses Stop as soon as an "Error!" is closed sees no other box, and no other
    // message goes out.
    void stopTakesEffectBeforeNextMessageAndBox()
    {
        CampaignFixture f;
        f.addCustomers({"refuse0@example.com", "refuse1@example.com", "refuse2@example.com", "refuse3@example.com", "a@example.com"});
        struct StopAfterError : ScriptedMessages {
            CampaignRun* run = nullptr;
            void notice(const QString& text) override
            {
                ScriptedMessages::notice(text);
                if (text == "Error!")
                    QTimer::singleShot(0, run, &CampaignRun::stop);
            }
        } messages;
        QVERIFY(f.run(f.request(CampaignKind::News, f.addNews("s", "b")), [&](CampaignRun& run) { messages.run = &run; }));
        QCOMPARE(messages.shown, (QStringList{"Error!", "Message(s) Sent!"}));
        QTest::qWait(200);
        QCOMPARE(f.server.files().size(), 0);
        QVERIFY(f.server.commands().count("RCPT") <= 2); // the one refused and the one already on its way
        const QStringList lines = f.deliveryLines();
        QVERIFY(!lines.filter("a@example.com").size());
        QCOMPARE(f.errorListing().split('\n', Qt::SkipEmptyParts).size(), lines.filter("\tfailed: ").size());
    }

    // 1200 messages a minute: the k-th message is handed over k times 50 ms after the first. A
    // server that never answers QUIT is waited for off the window's thread: the window keeps answering.
    void runKeepsItsPaceAndTheWindowAnswering()
    {
        constexpr qint64 answerMs = 100; // the window's promise; the machine's load may add to it
        constexpr qint64 loadMs = 400;
        CampaignFixture f(MailServer::Options{MailServer::Tls::None, {}, {}, true, false});
        state().PRateLimit = "1200";
        f.addCustomers(5);
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        QList<qint64> handed;
        QVERIFY(f.run(f.request(CampaignKind::News, f.addNews("s", "b")), [&](CampaignRun& run) {
            QObject::connect(&run, &CampaignRun::statusChanged, [&](const QString& text) {
                if (text.startsWith("Sending: "))
                    handed << clock.elapsed();
            });
            clock.start();
            tick.start(10);
        }));
        QCOMPARE(handed.size(), 5);
        for (int k = 1; k < 5; ++k)
            QVERIFY2(handed.at(k) - handed.at(0) >= k * 50 - 5, qPrintable(QString::number(handed.at(k) - handed.at(0))));
        QCOMPARE(f.server.files().size(), 5);
        QCOMPARE(f.messages.shown, QStringList{"Message(s) Sent!"});
        QVERIFY(f.server.commands().contains("QUIT"));
        // The goodbye was waited for (a coarse timer may fire a little early), off the window's thread.
        QVERIFY2(clock.elapsed() - handed.last() > CampaignRun::closeGraceMs * 9 / 10, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(longest < answerMs + loadMs, qPrintable(QString::number(longest)));
    }

    // Resume mails only those whom earlier runs of the same campaign did not reach.
    void resumeSkipsWhatWasSent()
    {
        CampaignFixture f;
        f.addCustomers({"a@example.com", "refuse-b@example.com", "c@example.com"});
        const QString id = f.addNews("s", "b");
        QVERIFY(f.run(CampaignKind::News, id));
        f.folder.exec("UPDATE ktCustomer SET CEmail = 'b@example.com' WHERE CEmail = 'refuse-b@example.com'");
        // Another campaign's log counts for nothing.
        QVERIFY(writeFile(f.folder.file("Docs/Sent/20260101-000000-KKSNews-77.log"), "b@example.com\t2026-01-01T00:00:00\tsent\n"));

        CampaignRun::Request request = f.request(CampaignKind::News, id);
        request.resume = true;
        QVERIFY(f.run(request));
        QVERIFY(f.server.waitFor(3));
        QCOMPARE(f.recipients(), (QStringList{"a@example.com", "c@example.com", "b@example.com"}));
        QString logs;
        for (const QFileInfo& log : QDir(f.folder.file("Docs/Sent")).entryInfoList({"*.log"}))
            logs += f.readText(log.filePath());
        QCOMPARE(logs.count("\tskipped: sent before"), 2);
    }

    // A criterion or content the run cannot use, or an unusable address in the preferences: one
    // message, nothing mailed.
    void runEndsBeforeSending_data()
    {
        QTest::addColumn<QString>("criteria");    // "gone": the content record is missing
        QTest::addColumn<QString>("unsubscribe"); // the preference; null: as it is
        QTest::addColumn<QString>("replyTo");
        QTest::addColumn<QString>("message");
        const QString invalid = "Unsubscribe Address Missing Or Invalid In The Preferences!";
        QTest::newRow("criterion the database rejects") << " ( CNoSuchColumn = 1 )" << QString() << "" << "Error!";
        QTest::newRow("criterion over two lines") << " ( CFirst = 'A'\r\n Or )" << QString() << "" << "Error!";
        QTest::newRow("content record gone") << "gone" << QString() << "" << "Error!";
        QTest::newRow("no unsubscribe address") << " ( 1=1 )" << "" << "" << invalid;
        QTest::newRow("header in the address") << " ( 1=1 )" << "a@b.org\r\nBcc: c@d.org" << "" << invalid;
        QTest::newRow("bad Reply-To") << " ( 1=1 )" << "office@example.com" << "desk at korvina"
                                      << "Reply-To Address Invalid In The Preferences!";
    }
    void runEndsBeforeSending()
    {
        QFETCH(QString, criteria);
        QFETCH(QString, unsubscribe);
        QFETCH(QString, replyTo);
        QFETCH(QString, message);
        CampaignFixture f;
        if (!unsubscribe.isNull()) {
            state().PUnsubAddr = unsubscribe;
            state().PSmtpFrom.clear();
        }
        state().PReplyTo = replyTo;
        f.addCustomer(f.type, "'A'", "'a@example.com'");
        const QString id = f.addNews("s", "b");
        QVERIFY(criteria == "gone" ? f.run(CampaignKind::News, "999") : f.run(CampaignKind::News, id, criteria));
        QCOMPARE(f.messages.shown, QStringList{message});
        QCOMPARE(f.errorListing().count('\n'), message == "Error!" ? 1 : 0); // one line, whatever the criterion holds
        QCOMPARE(f.statuses, (QStringList{"Docking..", "."}));
        QTest::qWait(300);
        QCOMPARE(f.server.files().size(), 0);
    }

    // "o": the run walks its recipients and nothing leaves; "O": the desktop's sendmail program
    // (msmtp here) delivers, and copies stay in Docs/Sent.
    void otherMailTypes_data()
    {
        QTest::addColumn<QString>("mailType");
        QTest::addColumn<int>("delivered");
        QTest::newRow("other: nothing sent") << "o" << 0;
        QTest::newRow("desktop mail program") << "O" << 2;
    }
    void otherMailTypes()
    {
        QFETCH(QString, mailType);
        QFETCH(int, delivered);
        CampaignFixture f;
        state().PMailType = mailType;
        f.addCustomers({"A@example.com", "B@example.com"});
        qputenv("KORVINA_SENDMAIL", QStringLiteral("msmtp --host 127.0.0.1 --port %1 --from desk@korvina.test").arg(f.server.port()).toLocal8Bit());
        QVERIFY(f.run(CampaignKind::News, f.addNews("s", "Hello <<CFirst>>")));
        QVERIFY(f.server.waitFor(delivered));
        QTest::qWait(300);
        QCOMPARE(f.server.files().size(), delivered);
        QCOMPARE(QDir(f.folder.file("Docs/Sent")).entryList({"*.eml"}).size(), delivered);
        QCOMPARE(f.statuses.filter("Sending: ").size(), 2);
        QCOMPARE(f.messages.shown, QStringList{"Message(s) Sent!"});
        QCOMPARE(f.deliveryLines().size(), 2);
        if (delivered)
            QCOMPARE(f.letter(1), QStringLiteral("Hello B"));
    }

    // Addresses on the suppression list and repeats within the run (letter case aside) are left
    // out and logged; everyone else gets one message with Reply-To and a token of their own.
    void suppressedAndRepeatedAddressesAreSkipped()
    {
        CampaignFixture f;
        state().PReplyTo = QStringLiteral("desk@korvina.test");
        f.addCustomers({"anna@example.com", "Ravi@Example.in", " ravi@example.IN", "jo@example.de", "bo@example.de"});
        QVERIFY(Suppression::add(*state().connection, "ANNA@example.com", SuppressionReason::Unsubscribed));
        QVERIFY(Suppression::add(*state().connection, "bo@example.de", SuppressionReason::Bounced));
        const QString id = f.addNews("Hello", "Hi <<CFirst>>");

        QVERIFY(f.run(CampaignKind::News, id));
        QVERIFY(f.server.waitFor(2));
        QTest::qWait(300);
        QCOMPARE(f.server.files().size(), 2);
        QSet<qint64> customers;
        for (int i = 0; i < 2; ++i) {
            const ReceivedMail mail(f.server.message(i));
            QCOMPARE(mail.replyTo, QStringLiteral("desk@korvina.test"));
            const auto recipient = f.unsubscribeRecipient(mail);
            QVERIFY(recipient);
            customers << recipient->customerId;
        }
        QCOMPARE(customers.size(), 2);
        QStringList outcomes;
        for (const QString& line : f.deliveryLines())
            outcomes << line.section('\t', 0, 0) + " " + line.section('\t', 2);
        outcomes.sort(); // a skip is logged at once, a message when the server has answered
        QCOMPARE(outcomes, (QStringList{"Ravi@Example.in sent", "anna@example.com skipped: unsubscribed",
                                        "bo@example.de skipped: bounced", "jo@example.de sent",
                                        "ravi@example.IN skipped: mailed already in this run"}));
        QCOMPARE(f.messages.shown, QStringList{"Message(s) Sent!"});
    }

    // A lead reaches mail programs as text and HTML, its pictures (a data: URI, a file shown twice,
    // pictures kept in the database) as parts of each message that the HTML refers to by cid:.
    void leadGoesAsTextAndHtmlWithItsPictures()
    {
        CampaignFixture f;
        const QByteArray red = png(Qt::red), blue = png(Qt::blue), green = png(Qt::green);
        const QString bluePath = f.folder.file("Docs/blue dot.png");
        QVERIFY(writeFile(bluePath, blue));
        const QString greenId = PictureStore::keep(*state().connection, {{}, "green.png", "image/png", green});
        const QString fileUrl = QUrl::fromLocalFile(bluePath).toString(QUrl::FullyEncoded);
        f.addCustomers({"anna@example.com", "ben@example.com"});
        const QString id = f.addLead("Offer", "<html><body><p>Visit <a href=\"https://example.com/shop\">our shop</a></p>"
                                              "<img src=\"data:image/png;base64," + QString::fromLatin1(red.toBase64())
                                                  + "\" alt=\"Logo\"><img src=\"" + fileUrl + "\"><img src=\"" + bluePath
                                                  + "\"><img src=\"cid:" + greenId + "\"><img src=\"cid:" + greenId
                                                  + "\"><img src=\"cid:missing@korvina\"><img src=\"/no/such/file.png\">"
                                                  "<img src=\"/etc/passwd\"><img src=\"data:text/html;base64,PGI+eDwvYj4=\"></body></html>");

        QVERIFY(f.run(CampaignKind::Lead, id));
        QVERIFY(f.server.waitFor(2));
        for (int i = 0; i < 2; ++i) {
            const ReceivedMail mail(f.server.message(i));
            QCOMPARE(mail.parts.size(), 7);
            QCOMPARE(mail.parts.mid(0, 4), (QStringList{"multipart/alternative", "text/plain", "multipart/related", "text/html"}));
            QCOMPARE(mail.contents.value(greenId), green);
            for (const QByteArray& png : {red, blue, green}) {
                const QString cid = mail.contents.key(png);
                QVERIFY2(!cid.isEmpty(), "a picture is missing");
                QVERIFY(mail.parts.contains("image/png <" + cid + ">"));
                QVERIFY(mail.html.contains("src=\"cid:" + cid + "\""));
            }
            QCOMPARE(mail.html.count("cid:"), 6);
            // What is not a picture, or cannot be read, stays where it was.
            for (const char* kept : {"cid:missing@korvina", "/no/such/file.png", "/etc/passwd", "data:text/html;base64,PGI+eDwvYj4="})
                QVERIFY(mail.html.contains(QStringLiteral("src=\"%1\"").arg(QLatin1String(kept))));
            QVERIFY2(f.letter(i, true).startsWith("Visit our shop (https://example.com/shop)\n\n[Logo]"), qPrintable(mail.plain));
            QVERIFY(mail.plain.contains("unsubscribe-"));
        }
    }
};

QTEST_MAIN(TestCampaignRun)
#include "tst_campaignrun.moc"
