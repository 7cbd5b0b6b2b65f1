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
    // On an empty table the finder says so; on the users it neither offers nor shows passwords.
    void emptyTableAndPasswordColumns()
    {
        EngineFixture f;
        f.open("KKCustType");
        KKInquiry empty;
        QVERIFY(!empty.load());
        QCOMPARE(f.messages.shown, QStringList{"No Record!"});
        f.run(Operation::Exit);

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

        // Each search in turn: what is shown afterwards, the grid's rows and the messages.
        const struct { const char* field; const char* op; const char* value; int rows; const char* said; } searches[] = {
            {"CCategory", "Like", "retail", 16, ""}, // a case-insensitive prefix
            {"EId", ">=", "2x", 16, "Invalid Criteria!"}, // the grid keeps its rows
            {"EId", ">=", "29", 3, ""},
            {"EDate", "=", "03/01/2024", 1 + 3, ""},
            {"EDate", "=", "31/31/2024", 4, "Invalid Criteria!"},
            {"CCategory", "=", "O'Neil", 4, "Error!"}}; // a quote in a text value fails in the database
        for (const auto& s : searches) {
            f.messages.clear();
            inquiry.fieldBox()->setCurrentText(s.field);
            inquiry.operatorBox()->setCurrentText(s.op);
            inquiry.valueBox()->setText(s.value);
            inquiry.search();
            QCOMPARE(f.messages.shown.join('|'), QString(s.said));
            QCOMPARE(inquiry.grid()->rowCount(), s.rows);
        }
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
