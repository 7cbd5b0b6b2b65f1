// The schema's version: databases made by the first release are upgraded in place, once, in
// one transaction, on both backends.
#include "common/PgTestServer.h"
#include "common/TestSupport.h"
#include "base/PictureStore.h"
#include "base/ProgramState.h"
#include "base/Schema.h"
#include "base/SchemaUpgrade.h"
#include "base/Suppression.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/DbBackend.h"

#include <QtTest>

namespace {
// Turns a new database back into one of an earlier version, as the schema's marks tell it: the
// tables that version lacked go, and the columns it lacked leave their tables, the rows kept.
void makeVersion(Connection& c, int version)
{
    for (const SchemaTable& t : Schema::tables()) {
        if (t.since > version) {
            c.execute(QStringLiteral("DROP TABLE ") + t.name);
            continue;
        }
        SchemaTable older = t;
        older.columns.removeIf([&](const SchemaColumn& col) { return col.since > version; });
        if (older.columns.size() == t.columns.size())
            continue;
        QStringList names, marks;
        for (const SchemaColumn& col : older.columns)
            names << col.name, marks << QStringLiteral("?");
        const ResultSet rows = c.backend().query(QStringLiteral("Select %1 From %2").arg(names.join(','), t.name));
        c.execute(QStringLiteral("DROP TABLE ") + t.name);
        c.execute(Schema::createStatement(older));
        for (const QVector<QVariant>& row : rows.rows)
            c.backend().execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(t.name, names.join(','), marks.join(',')),
                                QVariantList(row.cbegin(), row.cend()));
    }
    if (version > 1)
        c.backend().execute(QStringLiteral("UPDATE kaVersion SET VNumber = ?"), {version});
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
    // What each version added, as the schema marks it, is made by the upgrade from any version
    // before it, in the places a new database has it.
    void upgradeMakesTheTablesOfANewDatabase_data()
    {
        QTest::addColumn<int>("version");
        for (int version = 1; version < SchemaUpgrade::currentVersion(); ++version)
            QTest::addRow("from version %d", version) << version;
    }
    void upgradeMakesTheTablesOfANewDatabase()
    {
        QFETCH(int, version);
        TestDataFolder folder(folderOptions(m_server));
        Connection& c = *state().connection;
        makeVersion(c, version);
        QCOMPARE(SchemaUpgrade::storedVersion(c), version);
        QCOMPARE(SchemaUpgrade::run(c), version);
        QCOMPARE(SchemaUpgrade::storedVersion(c), SchemaUpgrade::currentVersion());
        for (const SchemaTable& t : Schema::tables()) {
            QStringList expected;
            for (const SchemaColumn& col : t.columns)
                expected << col.name;
            QCOMPARE(columnsOf(t.name), expected);
        }
    }

    void firstReleaseIsUpgradedOnce()
    {
        TestDataFolder folder(folderOptions(m_server));
        Connection& c = *state().connection;
        QCOMPARE(SchemaUpgrade::storedVersion(c), SchemaUpgrade::currentVersion());
        makeVersion(c, 1);
        // As the first release made them: the schema's marks agree with that database.
        QCOMPARE(columnsOf(QStringLiteral("kaPreference")),
                 QStringList({"EId", "EDate", "PMailFoot", "PMailType", "PSmtpSrvr", "PSmtpPort", "PSmtpFrom",
                              "PSmtpUser", "PPasscd", "PRemarks"}));
        QVERIFY(columnsOf(QStringLiteral("kaSuppression")).isEmpty());
        folder.exec("UPDATE kaPreference SET PSmtpFrom = 'news@example.org', PRemarks = 'kept'");
        QCOMPARE(SchemaUpgrade::storedVersion(c), 1);

        QCOMPARE(SchemaUpgrade::run(c), 1);
        // The preferences keep their values; the bulk-mail ones are filled from them.
        QCOMPARE(folder.scalar("Select PRemarks From kaPreference"), QString("kept"));
        QCOMPARE(folder.scalar("Select PUnsubAddr From kaPreference"), QString("news@example.org"));
        // An added text column ignores letter case like those the table was made with.
        QCOMPARE(folder.count("kaPreference Where PUnsubAddr = 'NEWS@Example.org'"), 1);
        QCOMPARE(folder.scalar("Select PRateLimit From kaPreference"), QString("0"));
        const QString key = folder.scalar("Select PTokenPasscd From kaPreference");
        QVERIFY2(QRegularExpression("^[0-9a-f]{64}$").match(key).hasMatch(), qPrintable(key));

        // A second start finds nothing to do.
        QCOMPARE(SchemaUpgrade::run(c), SchemaUpgrade::currentVersion());
        QCOMPARE(folder.scalar("Select PTokenPasscd From kaPreference"), key);
        QCOMPARE(folder.count("kaVersion"), 1);

        // A database newer than the program is refused, unchanged.
        folder.exec("UPDATE kaVersion SET VNumber = 99");
        QVERIFY_THROWS_EXCEPTION(AppError, SchemaUpgrade::run(c));
        QCOMPARE(folder.scalar("Select VNumber From kaVersion"), QString("99"));
    }

    // Pictures keep every byte and are kept once.
    void picturesAreKeptWholeAndOnce()
    {
        TestDataFolder folder(folderOptions(m_server));
        Connection& c = *state().connection;
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
        QCOMPARE(std::tie(found->data, found->mimeType, found->fileName), std::tie(picture.data, picture.mimeType, picture.fileName));
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
        makeVersion(c, 1);
        folder.exec(obstacle);
        c.refreshCache();
        const QStringList preferences = columnsOf(QStringLiteral("kaPreference"));
        const QString row = folder.scalar("Select PSmtpFrom From kaPreference");

        ScriptedMessages messages;
        QVERIFY(!SchemaUpgrade::runAtStartUp(c));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY2(messages.shown.first().startsWith(QString("The database could not be upgraded from version 1 to version "
                                                           "%1 and was left as it was: ")
                                                       .arg(SchemaUpgrade::currentVersion())),
                 qPrintable(messages.shown.first()));
        QVERIFY(fileContents(state().ErrorListing).contains("Database upgrade,The database could not be upgraded"));
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

private:
    PgTestServer m_server;
};

QTEST_MAIN(TstSchema)
#include "tst_schema.moc"
