// The statements of the reports: head pieces, the criterion clause of each kind and the tail,
// the description printed in the header, and the checks that stop a view.

#include "base/ReportCatalogue.h"
#include "reports/ReportCriterion.h"

#include <QLocale>
#include <QtTest>

using Check = ReportCriterion::Check;

class ReportCriteriaTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void statement_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("typeName");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("description");

        const QDate jan1(2024, 1, 1), jan31(2024, 1, 31);
        QTest::newRow("address list, type 3")
            << 41 << "3" << "Retail" << QDate() << QDate()
            << "Select a.EId, a.EDate, a.CTitle, a.CFirst, a.CLast, a.CCity,  a.CCountry, a.CZipCode From ktCustomer a "
               "Where a.EId=a.EId  And ( a.CType =3 )  Order By a.CFirst "
            << "3- Retail";
        QTest::newRow("labels, value typed with blanks")
            << 44 << " 2 " << "Trade" << QDate() << QDate()
            << "Select a.EId, a.CTitle,a.CFirst, a.CLast, a.CAddr1,  a.CAddr2, a.CCity , a.CState, a.CZipCode, "
               "a.CTelHome  From ktCustomer a Where a.EId=a.EId  And ( a.CType =2 )  Order By a.CFirst "
            << " 2 - Trade";
        QTest::newRow("type summary, prefix In")
            << 54 << "In" << "" << QDate() << QDate()
            << "SELECT a.CType, b.CCategory, Count(a.CType) As tCount  FROM ktCustomer as a, kmCustType as b WHERE "
               "a.CType=b.EId  And ( a.CCountry Like 'In%' )  GROUP BY a.CType, b.CCategory "
            << "In";
        QTest::newRow("quote in a prefix is spliced unchanged")
            << 54 << "O'Br" << "" << QDate() << QDate()
            << "SELECT a.CType, b.CCategory, Count(a.CType) As tCount  FROM ktCustomer as a, kmCustType as b WHERE "
               "a.CType=b.EId  And ( a.CCountry Like 'O'Br%' )  GROUP BY a.CType, b.CCategory "
            << "O'Br";
        QTest::newRow("send news, January")
            << 50 << "01/01/2024" << "" << jan1 << jan31
            << "SELECT a.EId, a.EDate, a.SNewsId, a.SCType,  a.SSentDate, b.NSubject, c.CCategory FROM ktSNews as a,  "
               "ktNews as b, kmCustType as c WHERE a.SNewsId=b.EId and  a.SCType=c.EId  And ( a.EDate Between "
               "#01/01/2024# And #01/31/2024# ) "
            << "01/01/2024 To 01/31/2024";
        QTest::newRow("email survey, one day")
            << 52 << "01/31/2024" << "" << jan31 << jan31
            << "SELECT a.EId, a.EDate, a.ESurveyId, a.ECType,  a.ESentDate, b.SName, c.CCategory FROM ktESurvey as a,  "
               "ktSurvey as b, kmCustType as c WHERE a.ESurveyId=b.EId and  a.ECType=c.EId  And ( a.EDate Between "
               "#01/31/2024# And #01/31/2024# ) "
            << "01/31/2024 To 01/31/2024";
        QTest::newRow("survey analysis, survey 2")
            << 56 << "2" << "" << QDate() << QDate()
            << "Select a.*, b.* From ktSurvey a, ktSUpdate b  WHERE a.EId=b.SSurveyId And ( a.EId =2 ) "
            << "2- ";
        QTest::newRow("no criterion: whole table")
            << 55 << "  " << "Retail" << QDate() << QDate()
            << "SELECT a.CCountry, Count(a.CCountry) As tCount  FROM ktCustomer as a WHERE a.EId=a.EId  GROUP BY a.CCountry "
            << "-";
        QTest::newRow("no criterion on a date range")
            << 51 << "" << "" << jan1 << jan31
            << "SELECT a.EId, a.EDate, a.MLeadId, a.MCType,  a.MSentDate, b.LSubject, c.CCategory FROM ktMLead as a,  "
               "ktLead as b, kmCustType as c WHERE a.MLeadId=b.EId and  a.MCType=c.EId "
            << "-";
    }
    void statement()
    {
        QFETCH(int, number);
        QFETCH(QString, value);
        QFETCH(QString, typeName);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        const ReportDef* report = ReportCatalogue::find(number);
        QVERIFY(report);
        const ReportCriterion c = ReportCriterion::build(*report, {value, typeName, to.toString("MM/dd/yyyy"), from, to});
        QCOMPARE(c.check, Check::Ok);
        QTEST(report->statement(c.clause), "statement");
        QTEST(c.description, "description");
    }

    void refused_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("typed id not numeric") << 46 << "x1" << QDate() << QDate() << "Invalid Criteria!";
        QTest::newRow("picked type not numeric") << 41 << "Retail" << QDate() << QDate() << "Invalid Criteria!";
        QTest::newRow("from-date missing") << 50 << "01/01/2024" << QDate() << QDate(2024, 1, 2) << "Invalid Criteria!";
        QTest::newRow("from after to") << 51 << "01/02/2024" << QDate(2024, 1, 2) << QDate(2024, 1, 1) << "Invalid Range!";
    }
    void refused()
    {
        QFETCH(int, number);
        QFETCH(QString, value);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        const ReportCriterion c = ReportCriterion::build(*ReportCatalogue::find(number), {value, {}, {}, from, to});
        QTEST(ReportCriterion::message(c.check), "message");
        QVERIFY(c.clause.isEmpty());
    }

    void datesMonthFirstInEveryLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("Finnish") << QLocale(QLocale::Finnish, QLocale::Finland);
        QTest::newRow("British") << QLocale(QLocale::English, QLocale::UnitedKingdom);
    }
    void datesMonthFirstInEveryLocale()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        const ReportCriterion c = ReportCriterion::build(*ReportCatalogue::find(50),
                                                         {"x", {}, {}, QDate(2024, 3, 4), QDate(2024, 12, 25)});
        QCOMPARE(c.clause, QString(" And ( a.EDate Between #03/04/2024# And #12/25/2024# ) "));
    }
};

QTEST_GUILESS_MAIN(ReportCriteriaTest)
#include "tst_reportcriteria.moc"
