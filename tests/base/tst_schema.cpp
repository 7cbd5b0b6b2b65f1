// The schema's version: databases made by the first release are upgraded in place, once, in
// one transaction, on both backends.
#include "common/PgTestServer.h"
#include "common/TestSupport.h"
#include "base/PictureStore.h"
#include "base/ProgramState.h"
#include "base/Schema.h"
#include "base/SchemaUpgrade.h"
#include "base/Suppression.h"
#include "base/UnsubscribeToken.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DbBackend.h"

#include <QtTest>

namespace {
const QStringList AddedPreferences{"PUnsubAddr", "PReplyTo", "PRateLimit", "PImapSrvr",
                                   "PImapPort",  "PImapFolder", "PTokenPasscd"};

// Turns a new database back into one of version 2: no picture table.
void makeSecondVersion(Connection& c)
{
    c.execute(QStringLiteral("DROP TABLE kaPicture"));
    c.backend().execute(QStringLiteral("UPDATE kaVersion SET VNumber = 2"));
    c.refreshCache();
}

// Turns a new database back into one as the first release made it: the fourteen tables only.
void makeFirstRelease(Connection& c)
{
    makeSecondVersion(c);
    c.execute(QStringLiteral("DROP TABLE kaSuppression"));
    c.execute(QStringLiteral("DROP TABLE kaVersion"));
    SchemaTable preferences = *Schema::table(QStringLiteral("kaPreference"));
    preferences.columns.resize(preferences.columns.size() - AddedPreferences.size());
    c.execute(QStringLiteral("DROP TABLE kaPreference"));
    c.execute(Schema::createStatement(preferences));
    c.execute(QStringLiteral("INSERT INTO kaPreference (EDate, PMailFoot, PMailType, PSmtpSrvr, PSmtpPort, PSmtpFrom, "
                             "PSmtpUser, PPasscd, PRemarks) VALUES ('2024-03-04', 'Y', 'S', 'mail.example.org', '587', "
                             "'office@example.org', 'office', 'secret', 'Mail settings')"));
    c.refreshCache();
}

QStringList columnsOf(const QString& table)
{
    QStringList names;
    try {
        for (const ColumnInfo& c : state().connection->backend().tableColumns(table))
            names << c.name;
    } catch (const AppError&) {
        // the server has no such table
    }
    return names;
}
}

class TstSchema : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { addBackendRows(); }
    void firstReleaseIsUpgradedOnce()
    {
        TestDataFolder folder(folderOptions(m_server));
        Connection& c = *state().connection;
        QCOMPARE(SchemaUpgrade::storedVersion(c), SchemaUpgrade::currentVersion());
        makeFirstRelease(c);
        folder.exec("UPDATE kaPreference SET PSmtpFrom = 'news@example.org', PRemarks = 'kept'");
        QCOMPARE(SchemaUpgrade::storedVersion(c), 1);

        QCOMPARE(SchemaUpgrade::run(c), 1);
        QCOMPARE(SchemaUpgrade::storedVersion(c), 3);
        // The preferences keep their values and the new columns follow them, as a new database has them.
        QStringList expected;
        for (const SchemaColumn& col : Schema::table(QStringLiteral("kaPreference"))->columns)
            expected << col.name;
        QCOMPARE(columnsOf(QStringLiteral("kaPreference")), expected);
        QCOMPARE(folder.scalar("Select PRemarks From kaPreference"), QString("kept"));
        QCOMPARE(folder.scalar("Select PUnsubAddr From kaPreference"), QString("news@example.org"));
        // An added text column ignores letter case like those the table was made with.
        QCOMPARE(folder.count("kaPreference Where PUnsubAddr = 'NEWS@Example.org'"), 1);
        QCOMPARE(folder.scalar("Select PRateLimit From kaPreference"), QString("0"));
        const QString key = folder.scalar("Select PTokenPasscd From kaPreference");
        QVERIFY2(QRegularExpression("^[0-9a-f]{64}$").match(key).hasMatch(), qPrintable(key));

        // A second start finds nothing to do.
        QCOMPARE(SchemaUpgrade::run(c), 3);
        QCOMPARE(folder.scalar("Select PTokenPasscd From kaPreference"), key);
        QCOMPARE(folder.count("kaVersion"), 1);

        // A database newer than the program is refused, unchanged.
        folder.exec("UPDATE kaVersion SET VNumber = 99");
        QVERIFY_THROWS_EXCEPTION(AppError, SchemaUpgrade::run(c));
        QCOMPARE(folder.scalar("Select VNumber From kaVersion"), QString("99"));
    }

    // Version 3 adds the picture table; pictures keep every byte and are kept once.
    void secondVersionGainsPictureTable()
    {
        TestDataFolder folder(folderOptions(m_server));
        Connection& c = *state().connection;
        makeSecondVersion(c);
        QVERIFY(columnsOf(QStringLiteral("kaPicture")).isEmpty());
        QCOMPARE(SchemaUpgrade::run(c), 2);
        QCOMPARE(SchemaUpgrade::storedVersion(c), 3);

        QByteArray bytes;
        for (int i = 0; i < 512; ++i)
            bytes += char(i % 256);
        const MailPictures::Picture picture{{}, QStringLiteral("Logo.png"), "image/png", bytes};
        const QString id = PictureStore::keep(c, picture);
        QCOMPARE(id, MailPictures::contentId(bytes));
        QCOMPARE(PictureStore::keep(c, picture), id);
        QCOMPARE(folder.count("kaPicture"), 1);
        QCOMPARE(folder.scalar("Select PSize From kaPicture"), QString("512"));
        const auto found = PictureStore::find(c, id);
        QVERIFY(found);
        QCOMPARE(found->data, bytes);
        QCOMPARE(found->mimeType, QByteArray("image/png"));
        QCOMPARE(found->fileName, QString("Logo.png"));
        QVERIFY(!PictureStore::find(c, QStringLiteral("0@korvina")));
    }

    void failedUpgradeLeavesTheDatabaseAsItWas_data()
    {
        QTest::addColumn<QString>("obstacle");
        // Each makes one statement of the upgrade fail, early or late.
        QTest::newRow("column already there") << "ALTER TABLE kaPreference ADD COLUMN PImapPort VARCHAR(10)";
        QTest::newRow("table already there") << "CREATE TABLE kaSuppression (EId INTEGER, SNote VARCHAR(5))";
    }
    void failedUpgradeLeavesTheDatabaseAsItWas()
    {
        QFETCH(QString, obstacle);
        TestDataFolder folder(folderOptions(m_server));
        Connection& c = *state().connection;
        makeFirstRelease(c);
        folder.exec(obstacle);
        c.refreshCache();
        const QStringList preferences = columnsOf(QStringLiteral("kaPreference"));
        const QString row = folder.scalar("Select PSmtpFrom From kaPreference");

        ScriptedMessages messages;
        QVERIFY(!SchemaUpgrade::runAtStartUp(c));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown.first().startsWith("The database could not be upgraded from version 1 to version 3 and was "
                                                   "left as it was: "),
                 qPrintable(messages.shown.first()));
        QFile listing(state().ErrorListing);
        QVERIFY(listing.open(QIODevice::ReadOnly));
        QVERIFY(listing.readAll().contains("Database upgrade,The database could not be upgraded"));
        QCOMPARE(columnsOf(QStringLiteral("kaPreference")), preferences);
        QVERIFY(columnsOf(QStringLiteral("kaVersion")).isEmpty());
        QCOMPARE(folder.scalar("Select PSmtpFrom From kaPreference"), row);
        QCOMPARE(SchemaUpgrade::storedVersion(c), 1);
    }

    void suppressionIgnoresLetterCase()
    {
        TestDataFolder folder(folderOptions(m_server));
        Connection& c = *state().connection;
        QVERIFY(Suppression::add(c, QStringLiteral(" Ann.O_Brien@Example.ORG "), SuppressionReason::Bounced,
                                 QStringLiteral("ktMLead 12")));
        QVERIFY(!Suppression::add(c, QStringLiteral("ann.o_brien@example.org"), SuppressionReason::Manual));
        QVERIFY(!Suppression::add(c, QStringLiteral("  "), SuppressionReason::Manual));
        QVERIFY(!Suppression::contains(c, QStringLiteral("annXo_brien@example.org")));
        QCOMPARE(Suppression::find(c, QStringLiteral("ANN.O_BRIEN@example.org")), SuppressionReason::Bounced);
        QCOMPARE(folder.scalar("Select SAddress From kaSuppression"), QString("Ann.O_Brien@Example.ORG"));
        QCOMPARE(folder.scalar("Select SCampaign From kaSuppression"), QString("ktMLead 12"));
        QCOMPARE(Suppression::all(c).value(Suppression::key(QStringLiteral("ANN.o_brien@EXAMPLE.org"))),
                 SuppressionReason::Bounced);
        QVERIFY(Suppression::remove(c, QStringLiteral("ann.o_brien@example.org")));
        QVERIFY(!Suppression::remove(c, QStringLiteral("ann.o_brien@example.org")));
        QCOMPARE(folder.count("kaSuppression"), 0);
    }

    void tokenNamesOneRecipient_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("as made") << "" << true;
        QTest::newRow("upper case, blanks around") << "upper" << true;
        QTest::newRow("another customer") << "customer" << false;
        QTest::newRow("another campaign") << "campaign" << false;
        QTest::newRow("another kind of campaign") << "kind" << false;
        QTest::newRow("another database's key") << "key" << false;
        QTest::newRow("hash cut short") << "short" << false;
    }
    void tokenNamesOneRecipient()
    {
        if (onServer())
            QSKIP("no database involved");
        QFETCH(QString, change);
        QFETCH(bool, accepted);
        const QString key = QString::fromLatin1(UnsubscribeToken::newKey());
        const UnsubscribeToken::Recipient ann{QStringLiteral("ktMLead"), 12, 345};
        QString token = UnsubscribeToken::make(key, ann);
        QVERIFY2(token.startsWith("M12-345-"), qPrintable(token));
        QString verifyKey = key;
        if (change == "upper")
            token = "  " + token.toUpper() + " ";
        else if (change == "customer")
            token.replace("-345-", "-346-");
        else if (change == "campaign")
            token.replace("M12-", "M13-");
        else if (change == "kind")
            token.replace(0, 1, "S");
        else if (change == "key")
            verifyKey = QString::fromLatin1(UnsubscribeToken::newKey());
        else if (change == "short")
            token.chop(1);
        const auto found = UnsubscribeToken::verify(verifyKey, token);
        QCOMPARE(found.has_value(), accepted);
        if (accepted)
            QCOMPARE(*found, ann);
    }

private:
    PgTestServer m_server;
};

QTEST_MAIN(TstSchema)
#include "tst_schema.moc"
