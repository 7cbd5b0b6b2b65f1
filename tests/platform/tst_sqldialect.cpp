// Translation of the program's SQL to SQLite's, LIKE matching and connection strings:
// pure functions, no database.
#include "platform/DbTypes.h"
#include "platform/SqlDialect.h"

#include <QtTest>

class TstSqlDialect : public QObject {
    Q_OBJECT
private slots:
    void toSqlite_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("Top, lower case, 100") << "select top 100 * from ktCustomer" << "select * from ktCustomer LIMIT 100";
        QTest::newRow("Top after Distinct") << "Select Distinct Top 5 CCountry From ktCustomer"
                                            << "Select Distinct CCountry From ktCustomer LIMIT 5";
        QTest::newRow("order by keeps LIMIT last")
            << "Select Top 3 EId From ktCustomer Where CType = 2 ORDER BY CLast DESC  "
            << "Select EId From ktCustomer Where CType = 2 ORDER BY CLast DESC LIMIT 3  ";
        QTest::newRow("Top in a sub-select") << "Select * From a Where EId In (Select Top 2 EId From b ORDER BY EId) And x = 1"
                                             << "Select * From a Where EId In (Select EId From b ORDER BY EId LIMIT 2) And x = 1";
        QTest::newRow("Top before a second statement")
            << "Select Top 1 * From t; DELETE FROM t" << "Select * From t LIMIT 1; DELETE FROM t";
        QTest::newRow("Top as a column name is left alone") << "Select Top From t" << "Select Top From t";
        QTest::newRow("Top inside a literal") << "Select * From t Where x = 'Select Top 1 y'"
                                              << "Select * From t Where x = 'Select Top 1 y'";
        QTest::newRow("date, short parts") << "Where EDate >= #3/4/2024#" << "Where EDate >= '2024-03-04'";
        QTest::newRow("two-digit year") << "#1/2/99# #1/2/05#" << "'1999-01-02' '2005-01-02'";
        QTest::newRow("time") << "#3/4/2024 2:05 PM#" << "'2024-03-04 14:05:00'";
        QTest::newRow("iso") << "#2024-03-04#" << "'2024-03-04'";
        QTest::newRow("impossible date is left for the engine to refuse") << "#2/30/2024#" << "#2/30/2024#";
        QTest::newRow("brackets") << "Select [CFirst] From [Sheet1$]" << "Select \"CFirst\" From \"Sheet1$\"";
        QTest::newRow("literal untouched") << "Where x = 'it''s #1/2/2024# [y]' And [z] = #1/2/2024#"
                                           << "Where x = 'it''s #1/2/2024# [y]' And \"z\" = '2024-01-02'";
        QTest::newRow("unterminated literal runs to the end")
            << "Where x = 'Brien [a] #1/2/2024#" << "Where x = 'Brien [a] #1/2/2024#";
        QTest::newRow("text columns of a new table ignore case")
            << "CREATE TABLE ktX (EId INTEGER PRIMARY KEY AUTOINCREMENT, EDate DATETIME, CName VARCHAR(20), "
               "NMessage MEMO, [Col 1] TEXT COLLATE BINARY, N INTEGER)"
            << "CREATE TABLE ktX (EId INTEGER PRIMARY KEY AUTOINCREMENT, EDate DATETIME, CName VARCHAR(20) COLLATE NOCASE, "
               "NMessage MEMO COLLATE NOCASE, \"Col 1\" TEXT COLLATE BINARY, N INTEGER)";
        QTest::newRow("an added text column ignores case too")
            << "ALTER TABLE kaPreference ADD COLUMN PReplyTo VARCHAR(50)"
            << "ALTER TABLE kaPreference ADD COLUMN PReplyTo VARCHAR(50) COLLATE NOCASE";
    }

    void toSqlite()
    {
        QFETCH(QString, in);
        QTEST(SqlDialect::toSqlite(in), "out");
    }

    void likeMatching()
    {
        using SqlDialect::likeMatch;
        QVERIFY(likeMatch(QStringLiteral("Smith"), QStringLiteral("sm%")));
        QVERIFY(likeMatch(QStringLiteral("Özdemir"), QStringLiteral("öz%")));
        QVERIFY(likeMatch(QStringLiteral("ÇAĞRI"), QStringLiteral("çağ_i")));
        QVERIFY(likeMatch(QStringLiteral("abcabc"), QStringLiteral("%b%c")));
        QVERIFY(likeMatch(QString(), QStringLiteral("%")));
        QVERIFY(!likeMatch(QStringLiteral("Smith"), QStringLiteral("sm")));
        QVERIFY(!likeMatch(QStringLiteral("Smith"), QStringLiteral("_mit")));
        QVERIFY(!likeMatch(QStringLiteral("abcab"), QStringLiteral("%b%c")));
        QVERIFY(likeMatch(QStringLiteral("100%"), QStringLiteral("100!%"), QLatin1Char('!')));
        QVERIFY(!likeMatch(QStringLiteral("1000"), QStringLiteral("100!%"), QLatin1Char('!')));
    }

    void connectionStrings()
    {
        const ConnectionParams p = ConnectionParams::parse(QStringLiteral(
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/data/K o/Korvina.Kys;Persist Security Info=False;"
            "Jet OLEDB:Database Password=Kv=7 R9"));
        QCOMPARE(p.provider + QLatin1Char('|') + p.dataSource + QLatin1Char('|') + p.password,
                 QStringLiteral("Microsoft.Jet.OLEDB.4.0|/data/K o/Korvina.Kys|Kv=7 R9"));
        const ConnectionParams q =
            ConnectionParams::parse(QStringLiteral("data source=postgresql://h/db;JET OLEDB:DATABASE PASSWORD=x"));
        QCOMPARE(q.provider + QLatin1Char('|') + q.dataSource + QLatin1Char('|') + q.password,
                 QStringLiteral("|postgresql://h/db|x"));
    }
};

QTEST_MAIN(TstSqlDialect)
#include "tst_sqldialect.moc"
