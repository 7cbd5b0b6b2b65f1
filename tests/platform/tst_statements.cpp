// The statement forms the program writes, run on a real encrypted database and on a real
// database server: each must give the rows the program expects, and a statement can never
// carry a second one.
#include "PlatformFixture.h"
#include "common/PgTestServer.h"
#include "common/TestSupport.h"
#include "platform/ReadScope.h"

#include <QtTest>

namespace {

// The named field of every row of a statement, joined with ","; a record count that disagrees shows.
QString column(const QString& sql, const char* name = "CFirst", const ReadScope& scope = {})
{
    Recordset rs;
    QStringList out;
    for (rs.open(sql, db(), CursorType::Static, LockType::ReadOnly, scope); !rs.eof(); rs.moveNext())
        out << rs.field(QLatin1String(name)).text();
    return out.join(QLatin1Char(',')) + (rs.recordCount() == out.size() ? QString() : QStringLiteral(" (miscounted)"));
}

}

class TstStatements : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { addBackendRows(); }

    void init()
    {
        m_folder = std::make_unique<TestDataFolder>(folderOptions(m_server));
        db().execute(QStringLiteral("INSERT INTO kmCustType (CCategory) VALUES ('Retail'), ('Trade')"));
        db().execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst, CLast, CCountry, CType) VALUES "
                                    "(#02/28/2024#, 'Anna', 'Smith', 'India', 1), (#3/1/2024#, 'Bob', 'SMITHERS', 'India', 2), "
                                    "(#03/31/2024#, 'Cem', 'Ünal', 'Turkey', 2), "
                                    "(#4/1/2024#, 'Dora', 'Blacksmith', 'Chile', 2)"));
    }

    void cleanup() { m_folder.reset(); }

    void forms_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("firstNames");
        QTest::newRow("Top with ORDER BY") << "Select Top 2 * From ktCustomer ORDER BY CFirst DESC" << "Dora,Cem";
        QTest::newRow("date literal") << "Select * From ktCustomer Where EDate = #3/1/2024#" << "Bob";
        QTest::newRow("Between dates")
            << "Select * From ktCustomer Where EDate Between #03/01/2024# And #03/31/2024# ORDER BY EId" << "Bob,Cem";
        QTest::newRow("Like with %, any case")
            << "Select * From ktCustomer Where CLast Like 'smith%' ORDER BY EId" << "Anna,Bob";
        QTest::newRow("Like beyond ASCII") << "Select * From ktCustomer Where CLast Like 'üN%'" << "Cem";
        QTest::newRow("alias with as, 1=1 joined with And")
            << "Select a.* From ktCustomer as a Where 1=1 And a.CCountry = 'India' ORDER BY a.EId" << "Anna,Bob";
        QTest::newRow("alias without as, a.EId=a.EId")
            << "Select a.CFirst, b.CCategory From ktCustomer a, kmCustType b Where a.EId=a.EId And a.CType = b.EId "
               "And b.CCategory = 'Trade' ORDER BY a.CFirst"
            << "Bob,Cem,Dora";
        QTest::newRow("text equality ignores case") << "Select * From ktCustomer Where CCountry = 'INDIA' ORDER BY EId"
                                                    << "Anna,Bob";
        QTest::newRow("text order ignores case") << "Select * From ktCustomer ORDER BY CLast, EId" << "Dora,Anna,Bob,Cem";
    }

    void forms()
    {
        QFETCH(QString, sql);
        QTEST(column(sql), "firstNames");
    }

    // Names sort as people expect: accented letters among the plain ones, letter case aside.
    void namesInPeoplesOrder()
    {
        db().execute(QString::fromUtf8("INSERT INTO ktCustomer (CFirst, CLast, CType) VALUES ('Zoe', 'Order', 1), "
                                       "('Émile', 'Order', 1), ('eve', 'Order', 1), ('Élodie', 'Order', 1), "
                                       "('Emma', 'Order', 1), ('adam', 'Order', 1)"));
        QCOMPARE(column(QStringLiteral("Select a.CFirst From ktCustomer a Where a.EId=a.EId And ( a.CLast = 'order' ) "
                                       " Order By a.CFirst ")),
                 QString::fromUtf8("adam,Élodie,Émile,Emma,eve,Zoe"));
    }

    void countsByGroup()
    {
        const QString sql = QStringLiteral("Select b.CCategory, Count(a.CType) As tCount From ktCustomer a, kmCustType b "
                                           "Where a.CType = b.EId GROUP BY b.CCategory ORDER BY b.CCategory");
        QCOMPARE(column(sql, "CCategory") + QLatin1Char('=') + column(sql, "tCount"), QStringLiteral("Retail,Trade=1,3"));
        QCOMPARE(column(QStringLiteral("Select Count(*) As n From ktCustomer Where CFirst = 'x'"), "n"), QStringLiteral("0"));
        // Texts that differ only in case fall in one group.
        db().execute(QStringLiteral("UPDATE ktCustomer SET CCountry = 'INDIA' WHERE CFirst = 'Bob'"));
        QCOMPARE(column(QStringLiteral("SELECT a.CCountry, Count(a.CCountry) As tCount FROM ktCustomer as a WHERE "
                                       "a.EId=a.EId GROUP BY a.CCountry ORDER BY a.CCountry"), "tCount"),
                 QStringLiteral("1,2,1"));
    }

    void secondStatementOrApostropheFails()
    {
        for (const char* sql : {"Select * From ktCustomer Where CFirst = 'x'; DELETE FROM ktCustomer",
                                "UPDATE ktCustomer SET CFirst = 'Zed'; DELETE FROM kmCustType",
                                "DELETE FROM kmCustType WHERE EId = 1; -- comment"}) {
            const auto open = [&] { Recordset().open(QLatin1String(sql), db(), CursorType::Static, LockType::Optimistic); };
            QCOMPARE(errorOf(open), DbErrors::ExtraStatement);
            QCOMPARE(errorOf([&] { db().execute(QLatin1String(sql)); }), DbErrors::ExtraStatement);
        }
        // One trailing semicolon and blanks end a statement normally.
        QCOMPARE(column(QStringLiteral("Select Count(*) As n From kmCustType;  \n"), "n"), QStringLiteral("2"));

        // A broken literal fails cleanly, naming the statement, and the connection goes on working.
        const QString broken = QStringLiteral("Select * From ktCustomer Where CLast = 'O'Brien'");
        std::optional<AppError> e;
        QVERIFY(errorOf([&] { Recordset().open(broken, db(), CursorType::Static, LockType::ReadOnly); }, &e) != 0);
        QCOMPARE(e->source(), QStringLiteral("Korvina database"));
        QVERIFY2(e->description().contains(broken), qPrintable(e->description()));
        QVERIFY(errorOf([&] { db().execute(QStringLiteral("INSERT INTO kmCustType (CCategory) VALUES ('Bob's')")); }) != 0);
        QCOMPARE(m_folder->count(QStringLiteral("kmCustType")), 2);
        QCOMPARE(column(QStringLiteral("Select CFirst From ktCustomer ORDER BY EId")), QStringLiteral("Anna,Bob,Cem,Dora"));
    }

    void failingStatementUndoneAlone_data()
    {
        QTest::addColumn<int>("failing"); // the failing statement's place among the transaction's statements
        QTest::addColumn<int>("writes");
        QTest::newRow("first") << 0 << 2;
        QTest::newRow("between two writes") << 1 << 2;
        QTest::newRow("last") << 2 << 2;
        QTest::newRow("alone") << 0 << 0;
    }

    void failingStatementUndoneAlone()
    {
        QFETCH(int, failing);
        QFETCH(int, writes);
        Connection other; // another copy of the program sees only what was committed
        other.setConnectionString(db().connectionString());
        other.open();
        const auto seen = [&] {
            Recordset r;
            r.open(QStringLiteral("Select Count(*) As n From kmCustType"), other, CursorType::Static, LockType::ReadOnly);
            return r.field(0).value().toInt();
        };
        db().beginTrans();
        for (int i = 0; i <= writes; ++i) {
            if (i == failing)
                QVERIFY(errorOf([&] { db().execute(QStringLiteral("INSERT INTO kmCustType (Nope) VALUES (1)")); }) != 0);
            if (i < writes)
                db().execute(QStringLiteral("INSERT INTO kmCustType (CCategory) VALUES ('New %1')").arg(i));
        }
        QCOMPARE(seen(), 2);
        db().commitTrans();
        QCOMPARE(seen(), 2 + writes);
        QCOMPARE(m_folder->count(QStringLiteral("kmCustType")), 2 + writes);
    }

    void criterionReadsOnlyItsScope_data()
    {
        QTest::addColumn<QString>("backend"); // "both", "file" or "server"
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("listed");  // the first names listed; "refused" for a refusal
        const QString customers = QStringLiteral("Select * From ktCustomer Where CType=1 And ");
        const QString pair = QStringLiteral("Select EId, CFirst From ktCustomer Where CType=1 And ");
        QTest::newRow("in scope") << "both" << customers + "( CFirst Like 'a%' )" << "Anna";
        QTest::newRow("in-scope subquery") << "both" << customers + "CType = (Select Min(CType) From ktCustomer)" << "Anna";
        QTest::newRow("union on kaUser") << "both" << pair + "0=1 UNION SELECT EId, UPasscd FROM kaUser" << "refused";
        QTest::newRow("union on kaUser, no password") << "both" << pair + "0=1 UNION SELECT EId, ULogin FROM kaUser"
                                                      << "refused";
        QTest::newRow("union on kaPreference") << "both" << pair + "0=1 UNION SELECT EId, PPasscd FROM kaPreference"
                                               << "refused";
        QTest::newRow("union within scope") << "server" << pair + "0=1 UNION SELECT EId, CLast FROM ktCustomer" << "refused";
        QTest::newRow("subquery in where") << "both" << customers + "CFirst <> (SELECT ULogin FROM kaUser WHERE EId=1)"
                                           << "refused";
        QTest::newRow("quoted table name") << "both" << customers + "EXISTS (SELECT 1 FROM [kaUser])" << "refused";
        QTest::newRow("comment") << "both" << customers + "CFirst = 'x' -- ' )" << "refused";
        QTest::newRow("second statement") << "both" << customers + "1=1; DELETE FROM ktCustomer" << "refused";
        QTest::newRow("sqlite catalogue") << "file" << customers + "0 < (SELECT Count(*) FROM sqlite_master)" << "refused";
        QTest::newRow("sqlcipher function") << "file" << customers + "sqlcipher_export('main') Is Null" << "refused";
        QTest::newRow("server catalogue") << "server" << customers + "0 < (SELECT Count(*) FROM pg_catalog.pg_roles)"
                                          << "refused";
        QTest::newRow("function reading a query") << "server"
                                                  << customers + "length(query_to_xml('select 1', true, true, '')) > 0"
                                                  << "refused";
        QTest::newRow("function by quoted name")
            << "server" << customers + "length(\"query_to_xml\"('select 1', true, true, '')) > 0" << "refused";
        QTest::newRow("escaped text") << "server" << pair + "CFirst = E'\\'' UNION SELECT EId, ULogin FROM kaUser x '"
                                      << "refused";
        QTest::newRow("dollar text") << "server" << pair + "CFirst = $$'$$ UNION SELECT EId, ULogin FROM kaUser x '"
                                     << "refused";
        // The user screen's own inquiry reads kaUser, never its passwords.
        QTest::newRow("password on its own table") << "file" << "Select * From kaUser Where UPasscd Like 'k%'" << "";
        QTest::newRow("password named on the server") << "server" << "Select * From kaUser Where UPasscd Like 'k%'"
                                                      << "refused";
        QTest::newRow("whole record on the server") << "server"
                                                    << "Select * From kaUser Where kaUser Like '%korvina%'" << "refused";
    }

    void criterionReadsOnlyItsScope()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sql);
        QFETCH(QString, listed);
        if (backend != QLatin1String("both") && (backend == QLatin1String("server")) != onServer())
            QSKIP("another backend's wall");
        const ReadScope scope = ReadScope::of(sql.left(sql.indexOf(QLatin1String(" Where ")) + 1));
        QString names;
        std::optional<AppError> e;
        errorOf([&] { names = column(sql, "CFirst", scope); }, &e);
        if (listed == QLatin1String("refused")) {
            QVERIFY2(e && ReadScope::isRefusal(*e), e ? qPrintable(e->description()) : "nothing refused");
            QVERIFY(e->description().startsWith(ReadScope::message()));
            QCOMPARE(m_folder->count(QStringLiteral("ktCustomer")), 4);
            return;
        }
        QVERIFY2(!e, e ? qPrintable(e->description()) : "");
        QCOMPARE(names, listed);
    }

private:
    PgTestServer m_server;
    std::unique_ptr<TestDataFolder> m_folder;
};

QTEST_MAIN(TstStatements)

#include "tst_statements.moc"
