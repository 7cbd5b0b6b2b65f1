#pragma once
#include "common/MailServer.h"
#include "common/TestSupport.h"

#include "campaigns/CampaignExtra.h"
#include "campaigns/CampaignRun.h"
#include "base/ProgramState.h"
#include "base/UnsubscribeToken.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

// A database with customers, a newsletter, a lead and a survey, the mail preferences
// pointing at a real SMTP server, and the run's statuses recorded.
struct CampaignFixture {
    explicit CampaignFixture(MailServer::Options serverOptions = {}) : server(serverOptions)
    {
        ProgramState& s = state();
        s.PMailType = QStringLiteral("S");
        s.PMailFoot = QStringLiteral("N");
        s.PSmtpSrvr = QStringLiteral("127.0.0.1");
        s.PSmtpPort = server.portText();
        s.PSmtpUser.clear(); // no log-in: the server offers no encryption unless asked to
        s.PPasscd.clear();
        s.PSmtpFrom = QStringLiteral("Korvina <news@korvina.test>");
        type = addType(QStringLiteral("Retail"));
        otherType = addType(QStringLiteral("Trade"));
    }

    // Inserts one row and returns its EId.
    QString insert(const QString& table, const QString& columns, const QString& values) const
    {
        folder.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns, values));
        return folder.scalar(QStringLiteral("Select Max(EId) From ") + table);
    }
    QString addType(const QString& name) const
    {
        return insert("kmCustType", "EDate, CCategory, CRemarks", "'2026-01-01', '" + name + "', ''");
    }
    // Values are SQL literals ("'Anna'" or "NULL"); every other column holds "-", as a saved
    // record does, so that only the Null columns a test asks for fail to merge.
    void addCustomer(const QString& ofType, const QString& first, const QString& email, const QString& country = QStringLiteral("'India'"),
                     const QString& city = QStringLiteral("'Pune'")) const
    {
        insert("ktCustomer", "EDate, CTitle, CFirst, CLast, CCompany, CAddr1, CAddr2, CCity, CState, CCountry, CZipCode, "
                             "CTelOff, CTelHome, CTelMob, CFax, CEmail, CWebsite, CType, CActive, CRemarks",
               QStringLiteral("'2026-02-03', '-', %1, '-', '-', '-', '-', %4, '-', %3, '-', '-', '-', '-', '-', %2, '-', %5, 'Y', '-'")
                   .arg(first, email, country, city, ofType));
    }
    // Customers of the type, in one transaction, each named by its address's local part; or
    // `count` of them, prefix0@example.com and on.
    void addCustomers(const QStringList& addresses) const
    {
        folder.exec(QStringLiteral("BEGIN"));
        for (const QString& address : addresses)
            addCustomer(type, "'" + address.section('@', 0, 0) + "'", "'" + address + "'");
        folder.exec(QStringLiteral("COMMIT"));
    }
    void addCustomers(int count, const QString& prefix = QStringLiteral("a")) const
    {
        QStringList addresses;
        for (int i = 0; i < count; ++i)
            addresses << QStringLiteral("%1%2@example.com").arg(prefix).arg(i);
        addCustomers(addresses);
    }
    QString addNews(const QString& subject, const QString& body) const
    {
        return insert("ktNews", "EDate, NType, NReference, NSubject, NMessage, NRemarks",
                      QStringLiteral("'2026-12-04', 1, 'ref', '%1', '%2', ''").arg(subject, body));
    }
    QString addLead(const QString& subject, const QString& body) const
    {
        return insert("ktLead", "EDate, LReference, LSubject, LMessage, LRemarks",
                      QStringLiteral("'2026-12-04', 'ref', '%1', '%2', ''").arg(subject, body));
    }
    QString addSurvey(const QString& name, const QString& body, const QString& link) const
    {
        return insert("ktSurvey", "EDate, SType, SCount, SName, SMessage, SLink, SRemarks",
                      QStringLiteral("'2026-12-04', 'R', 0, '%1', '%2', '%3', ''").arg(name, body, link));
    }

    // Campaign 7 of the fixture's customer type.
    CampaignRun::Request request(CampaignKind kind, const QString& contentId, const QString& criteria = QStringLiteral(" ( 1=1 )")) const
    {
        return {&CampaignFamily::of(kind), QStringLiteral("7"), contentId, type, criteria};
    }
    bool run(CampaignKind kind, const QString& contentId, const QString& criteria = QStringLiteral(" ( 1=1 )"))
    {
        return run(request(kind, contentId, criteria));
    }
    // Runs a campaign to its end (`before` sees it first) and returns true when it finished in time.
    bool run(const CampaignRun::Request& request, const std::function<void(CampaignRun&)>& before = {})
    {
        CampaignRun run(request);
        QObject::connect(&run, &CampaignRun::statusChanged, [this](const QString& t) { statuses << t; });
        if (before)
            before(run);
        QSignalSpy finished(&run, &CampaignRun::finished);
        run.start();
        const bool done = !finished.isEmpty() || finished.wait(60000);
        logFile = lastLog();
        return done;
    }

    // The text of message i as the campaign wrote it, without the unsubscribe line that every
    // message ends with (the plain part of a lead stands for the HTML one where asked).
    QString letter(int i, bool plainPart = false) const
    {
        const ReceivedMail mail(server.message(i));
        const bool html = !plainPart && !mail.html.isEmpty();
        QString text = QString(html ? mail.html : mail.plain).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const qsizetype cut = text.lastIndexOf(html ? QStringLiteral("\n<p ") : QStringLiteral("\n\nTo stop receiving"));
        return (cut >= 0 ? text.left(cut) : text).trimmed();
    }

    static QString readText(const QString& path) { return QString::fromUtf8(fileContents(path)); }
    QStringList deliveryLines() const
    {
        return readText(logFile.isEmpty() ? lastLog() : logFile).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QString lastLog() const
    {
        const QDir dir(folder.file(QStringLiteral("Docs/Sent")));
        const QStringList logs = dir.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Time);
        return logs.isEmpty() ? QString() : dir.filePath(logs.first());
    }
    QString errorListing() const { return readText(state().ErrorListing); }
    // The recipient a message's List-Unsubscribe names; *token gets the token it asks to be sent back.
    static std::optional<UnsubscribeToken::Recipient> unsubscribeRecipient(const ReceivedMail& mail, QString* token = nullptr)
    {
        static const QRegularExpression form("^<mailto:office@example\\.com\\?subject=unsubscribe-([^>]+)>$");
        const QRegularExpressionMatch m = form.match(mail.listUnsubscribe);
        if (token)
            *token = m.captured(1);
        return m.hasMatch() ? UnsubscribeToken::verify(state().PTokenPasscd, m.captured(1)) : std::nullopt;
    }
    // The addresses of the messages received, in order.
    QStringList recipients() const
    {
        QStringList to;
        for (int i = 0; i < server.files().size(); ++i)
            to << ReceivedMail(server.message(i)).toAddress;
        return to;
    }

    TestDataFolder folder;
    ScriptedMessages messages;
    MailServer server;
    QString type, otherType;
    QStringList statuses;
    QString logFile;
};

// A campaign screen open on a saved Send News record for the fixture's customer type.
struct ScreenFixture : CampaignFixture {
    explicit ScreenFixture(const QString& criteria = QStringLiteral(" ( 1=1 )"))
    {
        newsId = addNews("Offer", "Hello <<CFirst>>");
        folder.exec("INSERT INTO ktSNews (EDate, SNewsId, SCType, SCriteria, SSentDate, SRemarks) VALUES ('2026-12-01', "
                    + newsId + ", " + type + ", '" + QString(criteria).replace("'", "''") + "', '2026-12-02', 'r')");
        screen = engine.open(QStringLiteral("KKSNews"));
    }
    ~ScreenFixture()
    {
        if (screen)
            screen->close();
        QCoreApplication::processEvents();
    }
    QPushButton* button(const char* name) const { return screen->findChild<QPushButton*>(name); }
    QString status() const { return screen->findChild<QLabel*>("lblField_7")->text(); }
    CampaignExtra* extra() const { return static_cast<CampaignExtra*>(screen->extra()); }
    bool waitUntilIdle(int ms = 60000) const
    {
        return QTest::qWaitFor([this] { return !extra()->isRunning(); }, ms);
    }

    QString newsId;
    RecordEngine engine;
    QPointer<RecordScreen> screen;
};

