#include "EngineFixture.h"

#include "engine/DataGrid.h"
#include "engine/KKInquiry.h"

#include <QComboBox>
#include <QLineEdit>

// The record finder.
class InquiryTest : public QObject {
    Q_OBJECT

    static void fillTypes(EngineFixture& f, int n)
    {
        f.folder.exec("BEGIN");
        for (int i = 1; i <= n; ++i)
            f.folder.exec(QString("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES ('2024-%1-01', '%2', 'r')")
                              .arg(i % 12 + 1, 2, 10, QChar('0'))
                              .arg(i % 2 ? QString("Retail%1").arg(i) : QString("Trade%1").arg(i)));
        f.folder.exec("COMMIT");
    }

private slots:
    void emptyTableSaysNoRecord()
    {
        EngineFixture f;
        f.open("KKCustType");
        KKInquiry inquiry;
        QVERIFY(!inquiry.load());
        QCOMPARE(f.messages.shown, QStringList{"No Record!"});
    }

    void passwordColumnsNeitherOfferedNorShown()
    {
        EngineFixture f;
        f.open("KKUser");
        KKInquiry inquiry;
        QVERIFY(inquiry.load());
        QStringList offered;
        for (int i = 0; i < inquiry.fieldBox()->count(); ++i)
            offered << inquiry.fieldBox()->itemText(i);
        QVERIFY(!offered.contains("UPasscd"));
        QVERIFY(offered.contains("ULogin"));
        QVERIFY(inquiry.grid()->isColumnHidden(3));
        inquiry.search();
        QVERIFY(inquiry.grid()->isColumnHidden(3));
        // Hidden is not enough: a screen reader reads hidden cells, so they hold nothing.
        QVERIFY(inquiry.grid()->rowCount() > 1);
        for (int row = 1; row < inquiry.grid()->rowCount(); ++row)
            QCOMPARE(inquiry.grid()->cellText(row, 3), QString());
    }

    void criteriaByColumnType()
    {
        EngineFixture f;
        fillTypes(f, 30);
        f.open("KKCustType");
        KKInquiry inquiry;
        QVERIFY(inquiry.load());
        QCOMPARE(inquiry.grid()->rowCount(), 2); // the current record alone

        inquiry.fieldBox()->setCurrentText("CCategory");
        inquiry.valueBox()->setText("retail");
        inquiry.search(); // Like: a case-insensitive prefix
        QCOMPARE(inquiry.grid()->rowCount(), 16);

        inquiry.fieldBox()->setCurrentText("EId");
        inquiry.operatorBox()->setCurrentText(">=");
        inquiry.valueBox()->setText("2x");
        inquiry.search();
        QCOMPARE(f.messages.shown.last(), QString("Invalid Criteria!"));
        QCOMPARE(inquiry.grid()->rowCount(), 16); // unchanged
        inquiry.valueBox()->setText("29");
        inquiry.search();
        QCOMPARE(inquiry.grid()->rowCount(), 3);

        inquiry.fieldBox()->setCurrentText("EDate");
        inquiry.operatorBox()->setCurrentText("=");
        inquiry.valueBox()->setText("03/01/2024");
        inquiry.search();
        QCOMPARE(inquiry.grid()->rowCount(), 1 + 3);
        inquiry.valueBox()->setText("31/31/2024");
        inquiry.search();
        QCOMPARE(f.messages.shown.last(), QString("Invalid Criteria!"));

        // A quote in a text value fails as a database error; the grid keeps its rows.
        f.messages.clear();
        inquiry.fieldBox()->setCurrentText("CCategory");
        inquiry.valueBox()->setText("O'Neil");
        inquiry.search();
        QCOMPARE(f.messages.shown, QStringList{"Error!"});
        QCOMPARE(inquiry.grid()->rowCount(), 4);
    }

    void hundredRowsAndChoosing()
    {
        EngineFixture f;
        fillTypes(f, 100);
        f.open("KKCustType");
        KKInquiry inquiry;
        inquiry.load();
        inquiry.search(); // blank value: the first 100 rows
        QCOMPARE(f.messages.shown.last(), QString("Records>100 !"));
        QCOMPARE(inquiry.grid()->rowCount(), 101);

        const QString id = inquiry.grid()->cellText(5, 0);
        inquiry.chooseRow(5);
        QCOMPARE(f.text(0), id);
        QCOMPARE(state().ListRecordset.currentId(), id.toLongLong());
        QVERIFY(!state().RecordRecordset.isOpen());
    }
};

QTEST_MAIN(InquiryTest)
#include "tst_inquiry.moc"
