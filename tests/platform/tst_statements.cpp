// The statement forms the program writes, run on a real encrypted database: each must give
// the rows the program expects, and a statement can never carry a second one.
#include "common/TestSupport.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "shell/ProgramState.h"

#include <QtTest>

namespace {

Connection& db() { return *state().connection; }

void addCustomer(const QString& first, const QString& last, const QString& country, int type, const QString& date)
{
    db().execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst, CLast, CCountry, CType, CActive, CRemarks) "
                                "VALUES (#%1#, '%2', '%3', '%4', %5, 'Y', 'r')")
                     .arg(date, first, last, country)
                     .arg(type));
}

// The given column of every row of a statement, joined with ",".
QString column(const QString& sql, int index = 0)
{
    Recordset rs;
    rs.open(sql, db(), CursorType::Static, LockType::ReadOnly);
    QStringList out;
    while (!rs.eof()) {
        out << rs.field(index).text();
        rs.moveNext();
    }
    return out.join(QLatin1Char(','));
}

}

class TstStatements : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void forms_data();
    void forms();
    void countsByGroupAreIntegers();
    void secondStatementNeverRuns();
    void apostropheFailsCleanly();

private:
    std::unique_ptr<TestDataFolder> m_folder;
};

void TstStatements::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    db().execute(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES (#1/1/2024#, 'Retail', 'r')"));
    db().execute(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES (#1/1/2024#, 'Trade', 'r')"));
    addCustomer(QStringLiteral("Anna"), QStringLiteral("Smith"), QStringLiteral("India"), 1, QStringLiteral("02/28/2024"));
    addCustomer(QStringLiteral("Bob"), QStringLiteral("SMITHERS"), QStringLiteral("India"), 2, QStringLiteral("3/1/2024"));
    addCustomer(QStringLiteral("Cem"), QStringLiteral("Özdemir"), QStringLiteral("Turkey"), 2, QStringLiteral("03/31/2024"));
    addCustomer(QStringLiteral("Dora"), QStringLiteral("Blacksmith"), QStringLiteral("Chile"), 2, QStringLiteral("4/1/2024"));
    db().execute(QStringLiteral("UPDATE ktCustomer SET CRemarks = 'Top 5 #1/2/2024# [x]' WHERE CFirst = 'Dora'"));
}

void TstStatements::cleanup() { m_folder.reset(); }

void TstStatements::forms_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("firstNames");
    QTest::newRow("Top 1") << "Select Top 1 * From ktCustomer" << "Anna";
    QTest::newRow("Top 100") << "Select Top 100 * From ktCustomer" << "Anna,Bob,Cem,Dora";
    QTest::newRow("Top with ORDER BY") << "Select Top 2 * From ktCustomer ORDER BY CFirst DESC" << "Dora,Cem";
    QTest::newRow("date literal") << "Select * From ktCustomer Where EDate = #3/1/2024#" << "Bob";
    QTest::newRow("Between dates")
        << "Select * From ktCustomer Where EDate Between #03/01/2024# And #03/31/2024# ORDER BY EId" << "Bob,Cem";
    QTest::newRow("Like with %, any case")
        << "Select * From ktCustomer Where CLast Like 'smith%' ORDER BY EId" << "Anna,Bob";
    QTest::newRow("Like in the middle") << "Select * From ktCustomer Where CLast Like '%SMITH%' ORDER BY EId"
                                        << "Anna,Bob,Dora";
    QTest::newRow("Like beyond ASCII") << "Select * From ktCustomer Where CLast Like 'öZ%'" << "Cem";
    QTest::newRow("alias with as, 1=1 joined with And")
        << "Select a.* From ktCustomer as a Where 1=1 And a.CCountry = 'India' ORDER BY a.EId" << "Anna,Bob";
    QTest::newRow("alias without as, a.EId=a.EId")
        << "Select a.CFirst, b.CCategory From ktCustomer a, kmCustType b Where a.EId=a.EId And a.CType = b.EId "
           "And b.CCategory = 'Trade' ORDER BY a.CFirst"
        << "Bob,Cem,Dora";
    QTest::newRow("bracketed names") << "Select [CFirst] From [ktCustomer] Where [CCountry] = 'Chile'" << "Dora";
    QTest::newRow("literal text is not translated")
        << "Select CFirst From ktCustomer Where CRemarks = 'Top 5 #1/2/2024# [x]'" << "Dora";
    QTest::newRow("text equality ignores case") << "Select * From ktCustomer Where CCountry = 'INDIA' ORDER BY EId"
                                                << "Anna,Bob";
    QTest::newRow("text order ignores case") << "Select * From ktCustomer ORDER BY CLast, EId" << "Dora,Anna,Bob,Cem";
    QTest::newRow("criterion of the selection screen")
        << "Select * From ktCustomer Where CType = 2 And ( 1=1 ) ORDER BY EId" << "Bob,Cem,Dora";
}

void TstStatements::forms()
{
    QFETCH(QString, sql);
    QFETCH(QString, firstNames);
    Recordset rs;
    rs.open(sql, db(), CursorType::Static, LockType::ReadOnly);
    QStringList names;
    while (!rs.eof()) {
        names << rs.field(QStringLiteral("CFirst")).text();
        rs.moveNext();
    }
    QCOMPARE(names.join(QLatin1Char(',')), firstNames);
    QCOMPARE(rs.recordCount(), int(names.size()));
}

void TstStatements::countsByGroupAreIntegers()
{
    Recordset rs;
    rs.open(QStringLiteral("Select b.CCategory, Count(a.CType) As tCount From ktCustomer a, kmCustType b "
                           "Where a.CType = b.EId GROUP BY b.CCategory ORDER BY b.CCategory"),
            db(), CursorType::Static, LockType::ReadOnly);
    QCOMPARE(rs.recordCount(), 2);
    QCOMPARE(rs.field(QStringLiteral("tCount")).type(), int(FieldType::Integer));
    QCOMPARE(rs.field(0).text() + QLatin1Char('=') + rs.field(1).text(), QStringLiteral("Retail=1"));
    rs.moveNext();
    QCOMPARE(rs.field(0).text() + QLatin1Char('=') + rs.field(1).text(), QStringLiteral("Trade=3"));
    QCOMPARE(column(QStringLiteral("Select Count(*) As n From ktCustomer Where CCountry = 'Nowhere'")), QStringLiteral("0"));
    // Texts that differ only in case fall in one group.
    db().execute(QStringLiteral("UPDATE ktCustomer SET CCountry = 'INDIA' WHERE CFirst = 'Bob'"));
    QCOMPARE(column(QStringLiteral("SELECT a.CCountry, Count(a.CCountry) As tCount FROM ktCustomer as a WHERE "
                                   "a.EId=a.EId GROUP BY a.CCountry ORDER BY a.CCountry"), 1),
             QStringLiteral("1,2,1"));
}

void TstStatements::secondStatementNeverRuns()
{
    const QString before = column(QStringLiteral("Select CFirst From ktCustomer ORDER BY EId"));
    const QStringList attempts = {
        QStringLiteral("Select * From ktCustomer Where CFirst = 'x'; DELETE FROM ktCustomer"),
        QStringLiteral("Select Top 1 * From ktCustomer;DELETE FROM ktCustomer"),
        QStringLiteral("UPDATE ktCustomer SET CFirst = 'Zed'; DELETE FROM kmCustType"),
        QStringLiteral("DELETE FROM kmCustType WHERE EId = 1; -- comment"),
    };
    for (const QString& sql : attempts) {
        for (bool asRecordset : {true, false}) {
            try {
                if (asRecordset) {
                    Recordset rs;
                    rs.open(sql, db(), CursorType::Static, LockType::Optimistic);
                } else {
                    db().execute(sql);
                }
                QFAIL(qPrintable(QStringLiteral("accepted: ") + sql));
            } catch (const AppError& e) {
                QCOMPARE(e.number(), DbErrors::ExtraStatement);
            }
        }
    }
    QCOMPARE(column(QStringLiteral("Select CFirst From ktCustomer ORDER BY EId")), before);
    QCOMPARE(m_folder->count(QStringLiteral("kmCustType")), 2);
    // One trailing semicolon and blanks end a statement normally.
    QCOMPARE(column(QStringLiteral("Select Count(*) From kmCustType;  \n")), QStringLiteral("2"));
}

void TstStatements::apostropheFailsCleanly()
{
    const QString sql = QStringLiteral("Select * From ktCustomer Where CLast = 'O'Brien'");
    try {
        Recordset rs;
        rs.open(sql, db(), CursorType::Static, LockType::ReadOnly);
        QFAIL("a broken literal was accepted");
    } catch (const AppError& e) {
        QCOMPARE(e.source(), QStringLiteral("Korvina database"));
        QVERIFY(e.number() != 0);
        QVERIFY2(e.description().contains(sql), qPrintable(e.description()));
    }
    QVERIFY_THROWS_EXCEPTION(AppError, db().execute(QStringLiteral(
        "INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES (#1/1/2024#, 'Bob's', 'r')")));
    QCOMPARE(m_folder->count(QStringLiteral("kmCustType")), 2);
    // The connection goes on working.
    QCOMPARE(column(QStringLiteral("Select Count(*) From ktCustomer")), QStringLiteral("4"));
}

QTEST_MAIN(TstStatements)
#include "tst_statements.moc"
