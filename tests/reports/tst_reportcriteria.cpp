// The criteria of the reports: the clause of each kind, the description printed in the header,
// and the checks that stop a view.

#include "base/ReportCatalogue.h"
#include "reports/ReportCriterion.h"

#include <QLocale>
#include <QtTest>

using Check = ReportCriterion::Check;

class ReportCriteriaTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The clause spliced into each kind of statement (whole statements run in tst_reportpdf).
    void statement_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("typeName");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("clause");
        QTest::addColumn<QString>("description");

        const QDate jan1(2024, 1, 1), jan31(2024, 1, 31);
        QTest::newRow("address list, type 3") << 41 << "3" << "Retail" << QDate() << QDate() << " And ( a.CType =3 ) "
                                              << "3- Retail";
        QTest::newRow("labels, value typed with blanks") << 44 << " 2 " << "Trade" << QDate() << QDate()
                                                         << " And ( a.CType =2 ) " << " 2 - Trade";
        QTest::newRow("type summary, prefix In") << 54 << "In" << "" << QDate() << QDate()
                                                 << " And ( a.CCountry Like 'In%' ) " << "In";
        QTest::newRow("quote in a prefix is spliced unchanged") << 54 << "O'Br" << "" << QDate() << QDate()
                                                                << " And ( a.CCountry Like 'O'Br%' ) " << "O'Br";
        QTest::newRow("send news, January") << 50 << "01/01/2024" << "" << jan1 << jan31
                                            << " And ( a.EDate Between #01/01/2024# And #01/31/2024# ) "
                                            << "01/01/2024 To 01/31/2024";
        QTest::newRow("email survey, one day") << 52 << "01/31/2024" << "" << jan31 << jan31
                                               << " And ( a.EDate Between #01/31/2024# And #01/31/2024# ) "
                                               << "01/31/2024 To 01/31/2024";
        QTest::newRow("survey analysis, survey 2") << 56 << "2" << "" << QDate() << QDate() << " And ( a.EId =2 ) "
                                                   << "2- ";
        QTest::newRow("no criterion: whole table") << 55 << "  " << "Retail" << QDate() << QDate() << "" << "-";
        QTest::newRow("no criterion on a date range") << 51 << "" << "" << jan1 << jan31 << "" << "-";
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
        QTEST(c.clause, "clause");
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
