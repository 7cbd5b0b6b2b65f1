#include "CampaignFixture.h"

#include "campaigns/KKSelect.h"
#include "engine/DataGrid.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
// The Selection screen opened on the fixture's campaign, filled in as a user would.
struct Selection {
    explicit Selection(ScreenFixture& f) : select(*f.screen) { select.load(); }
    template <class T>
    T* child(const char* name) { return select.findChild<T*>(name); }
    // Row n of the criteria as "field|operator|value".
    void fill(int n, const QString& row)
    {
        child<QComboBox>(n == 1 ? "cmbField1" : "cmbField2")->setCurrentText(row.section('|', 0, 0));
        child<QComboBox>(n == 1 ? "cmbOperator1" : "cmbOperator2")->setCurrentText(row.section('|', 1, 1));
        child<QLineEdit>(n == 1 ? "txtInquiry1" : "txtInquiry2")->setText(row.section('|', 2));
    }
    int previewRows() { return child<DataGrid>("grdSelect")->rowCount() - 1; }
    KKSelect select;
};

// Asha and Ravi (India) and Anna (Germany) are of the campaign's type; Anil is not.
void addCustomers(ScreenFixture& f)
{
    f.addCustomer(f.type, "'Asha'", "'asha@example.in'");
    f.addCustomer(f.type, "'Anna'", "'anna@example.de'", "'Germany'");
    f.addCustomer(f.type, "'Ravi'", "'ravi@example.in'");
    f.addCustomer(f.otherType, "'Anil'", "'anil@example.in'");
}
}

class TestSelection : public QObject {
    Q_OBJECT
private slots:
    // View builds the criterion from the two rows and previews its customers; a value that does not
    // fit its column stops it, with field 4 and the preview as they were.
    void viewBuildsCriterion_data()
    {
        QTest::addColumn<QString>("row1"); // field|operator|value
        QTest::addColumn<QString>("join");
        QTest::addColumn<QString>("row2");
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("refused");

        QTest::newRow("nothing entered") << "CFirst|Like|" << "" << "CFirst|Like|" << " ( 1=1 )" << 3 << false;
        QTest::newRow("like, value trimmed") << "CFirst|Like| An " << "" << "" << " ( CFirst Like 'An%' )" << 1 << false;
        QTest::newRow("equal text") << "CCountry|=|India" << "" << "" << " ( CCountry = 'India' )" << 2 << false;
        QTest::newRow("number with decimal comma") << "EId|=|2,5" << "" << "" << " ( EId = 2.5 )" << 0 << false;
        QTest::newRow("date") << "EDate|=|2/3/2026" << "" << "" << " ( EDate = #02/03/2026# )" << 3 << false;
        QTest::newRow("row 2 only, Or") << "CFirst|Like|" << "Or" << "CCountry|=|India" << " ( 1=1 Or CCountry = 'India' )" << 3 << false;
        QTest::newRow("both rows, And") << "CFirst|Like|A" << "And" << "CCountry|=|India"
                                        << " ( CFirst Like 'A%' And CCountry = 'India' )" << 1 << false;
        QTest::newRow("row 2 without join ignored") << "CFirst|Like|R" << "" << "CCountry|=|Germany" << " ( CFirst Like 'R%' )" << 1
                                                    << false;
        QTest::newRow("not a number") << "EId|=|abc" << "And" << "" << " ( 1=1 )" << 3 << true;
        QTest::newRow("not a date") << "EDate|=|31/31/2026" << "And" << "" << " ( 1=1 )" << 3 << true;
        QTest::newRow("row 2 not a number") << "CFirst|Like|" << "And" << "CType|=|x" << " ( 1=1 )" << 3 << true;
    }
    void viewBuildsCriterion()
    {
        QFETCH(QString, row1);
        QFETCH(QString, join);
        QFETCH(QString, row2);
        QFETCH(QString, criterion);
        QFETCH(int, count);
        QFETCH(bool, refused);

        ScreenFixture f;
        addCustomers(f);
        Selection s(f);
        s.fill(1, row1);
        s.child<QComboBox>("cmbJoin")->setCurrentText(join);
        if (!row2.isEmpty())
            s.fill(2, row2);
        f.messages.clear();
        s.select.view();
        QCOMPARE(f.screen->text(4), criterion);
        QCOMPARE(f.messages.shown, QStringList{refused ? QStringLiteral("Invalid Criteria!") : QStringLiteral("Total Records: %1").arg(count)});
        QCOMPARE(s.previewRows(), count);
        if (!refused)
            QCOMPARE(s.select.criterion(), criterion);
    }

    void openingPreviewsFieldFour_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("criterion of the record") << "type" << " ( CCountry = 'Germany' )" << QStringList{} << 21 << 1;
        QTest::newRow("no customer of the type") << "none" << " ( 1=1 )" << QStringList{"No Records!"} << 21 << 0;
        QTest::newRow("no type chosen") << "" << " ( 1=1 )" << QStringList{"Error!"} << 0 << 0;
        QTest::newRow("criterion the database rejects") << "type" << " ( CNoSuch = 1 )" << QStringList{"Error!"} << 0 << 0;
    }
    void openingPreviewsFieldFour()
    {
        QFETCH(QString, type);
        QFETCH(QString, criteria);
        QFETCH(QStringList, shown);
        QFETCH(int, columns);
        ScreenFixture f(criteria);
        addCustomers(f);
        f.screen->setText(3, type == "type" ? f.type : type == "none" ? f.addType("Empty") : QString());
        f.messages.clear();
        Selection s(f);
        QCOMPARE(f.messages.shown, shown);
        QCOMPARE(s.child<QComboBox>("cmbField1")->count(), columns);
        QCOMPARE(s.child<QComboBox>("cmbField2")->count(), columns);
        QTEST(s.previewRows(), "rows");
        if (columns)
            QCOMPARE(s.child<QComboBox>("cmbOperator1")->currentText(), QStringLiteral("Like"));
    }

    void okWritesCriterionCrossDoesNot()
    {
        ScreenFixture f("");
        addCustomers(f);
        {
            Selection s(f);
            s.fill(1, "CCountry|=|India");
            s.select.view(); // View writes field 4 already
            s.fill(1, "CCountry|=|Germany");
            s.select.reject(); // x
        }
        QCOMPARE(f.screen->text(4), QStringLiteral(" ( CCountry = 'India' )"));
        {
            Selection s(f);
            s.select.ok();
            QVERIFY(!s.select.isVisible());
        }
        QCOMPARE(f.screen->text(4), QStringLiteral(" ( 1=1 )"));
    }

    // A customer table that carries a password column: it is no choice for a criterion, and the
    // preview grid hides it and holds none of its values.
    void passwordColumnIsNeitherOfferedNorShown()
    {
        ScreenFixture f(" ( 1=1 )");
        f.folder.exec("ALTER TABLE ktCustomer ADD COLUMN CPasscd TEXT(20)");
        addCustomers(f);
        f.folder.exec("UPDATE ktCustomer SET CPasscd = 'Secret-' || EId");
        Selection s(f);
        for (const char* combo : {"cmbField1", "cmbField2"}) {
            auto* box = s.child<QComboBox>(combo);
            QCOMPARE(box->findText("CPasscd"), -1);
            QVERIFY(box->findText("CRemarks") >= 0);
        }
        auto* grid = s.child<DataGrid>("grdSelect");
        QCOMPARE(s.previewRows(), 3);
        int passwordColumns = 0;
        for (int c = 0; c < grid->columnCount(); ++c) {
            const bool password = grid->cellText(0, c) == QLatin1String("CPasscd");
            passwordColumns += password;
            QCOMPARE(grid->isColumnHidden(c), password);
            for (int r = 1; r < grid->rowCount(); ++r)
                QVERIFY2(!grid->cellText(r, c).startsWith("Secret-"), "a password is in the grid");
        }
        QCOMPARE(passwordColumns, 1);
    }
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
