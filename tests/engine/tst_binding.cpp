#include "EngineFixture.h"

#include "base/ModuleCatalogue.h"
#include "engine/DataGrid.h"
#include "engine/KKList.h"
#include "platform/Recordset.h"

#include <QApplication>
#include <QListWidget>

// Field binding (each module's one description agreeing with its table), validation and the
// two kinds of picker.
class BindingTest : public QObject {
    Q_OBJECT

private slots:
    // The box with the focus turns light red (12632319, red in the low byte) and back on leaving;
    // a save lists the fields that fail, in index order.
    void focusedBoxAndFailingFields()
    {
        EngineFixture f;
        f.open("KKCustType");
        f.run(Operation::Add);
        QWidget* box = f.screen()->field(2);
        const QColor before = box->palette().color(QPalette::Base);
        f.screen()->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.screen()->window()));
        box->setFocus();
        QTRY_COMPARE(box->palette().color(QPalette::Base), QColor(255, 192, 192));
        f.screen()->field(3)->setFocus();
        QTRY_COMPARE(box->palette().color(QPalette::Base), before);

        f.set(2, "   "); // blank only counts as empty
        f.set(3, "");
        f.run(Operation::Save);
        QCOMPARE(f.messages.shown.last(), QString("Empty/Invalid Fields:\n\nCustomer Type\nRemarks\n"));
        QCOMPARE(f.messages.titles.last(), QString("Error"));
        QVERIFY(f.editing());
        QCOMPARE(f.folder.count("kmCustType"), 0);

        f.set(1, "02/31/2025"); // no such day
        f.set(2, "Retail");
        f.set(3, "x");
        f.run(Operation::Save);
        QCOMPARE(f.messages.shown.last(), QString("Empty/Invalid Fields:\n\nEntry Date\n"));
        f.set(1, "02/28/2025");
        f.run(Operation::Save);
        QVERIFY(!f.editing());
        QCOMPARE(f.folder.count("kmCustType"), 1);
    }

    // A value stored by another program shows as far as its box allows: a text wider than the box
    // is cut (and saved cut), a key shows whole, a million and above too (a master id:
    // engine.tst_hooks).
    void storedValuesShown_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("shown");
        QTest::newRow("text wider than its box") << 3 << QString(20, 'z');
        QTest::newRow("key") << 0 << "2147483647";
    }
    void storedValuesShown()
    {
        QFETCH(int, box);
        EngineFixture f;
        f.folder.exec("INSERT INTO kmCustType (EId, EDate, CCategory, CRemarks) VALUES (2147483647, '2024-01-01', 'Retail', '"
                      + QString(30, 'z') + "')");
        f.open("KKCustType");
        QTEST(f.text(box), "shown");
        f.run(Operation::Modify);
        f.run(Operation::Save);
        QCOMPARE(f.folder.scalar("Select CRemarks From kmCustType"), QString(20, 'z'));
    }

    // A cycling picker steps through its values and wraps; pressing another picker in between
    // starts it again. Each row: the boxes clicked, and the text of each after its click.
    void cyclingPickers_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("shown");
        QTest::newRow("titles wrap") << "KKCustomer" << QList<int>{2, 2, 2, 2, 2} << "Mr|Mrs|Ms|Dr|Mr";
        QTest::newRow("active, then titles start again") << "KKCustomer" << QList<int>{2, 2, 19, 19, 2} << "Mr|Mrs|Y|N|Mr";
        QTest::newRow("survey answers wrap") << "KKSUpdate" << QList<int>(12, 3) << "0|1|2|3|4|5|6|7|8|9|10|0";
        QTest::newRow("second answer starts at zero") << "KKSUpdate" << QList<int>{3, 3, 4} << "0|1|0";
    }
    void cyclingPickers()
    {
        QFETCH(QString, screen);
        QFETCH(QList<int>, clicks);
        EngineFixture f;
        f.open(screen);
        f.run(Operation::Add);
        QStringList shown;
        for (int box : clicks) {
            f.click(box);
            shown << f.text(box);
        }
        QTEST(shown.join('|'), "shown");
    }

    void pickListChoosesNameAndId()
    {
        EngineFixture f;
        const QString longName = QString("Wholesale and retail traders ") + "of the north"; // > 30 characters
        f.folder.exec("CREATE TABLE kmWide (EId INTEGER PRIMARY KEY, EDate DATETIME, WName VARCHAR(60))");
        f.folder.exec("INSERT INTO kmWide (EId, EDate, WName) VALUES (42, '2024-01-01', '" + longName + "')");
        f.open("KKCustomer");
        f.run(Operation::Add);
        onNextModal([](QWidget* w) { static_cast<KKList*>(w)->choose(); });
        Engine::OpenPickList(18, "WName, EId From kmWide");
        QCOMPARE(f.screen()->listLabel(18)->text(), longName.left(30).trimmed());
        QCOMPARE(f.text(18), QString("42"));

        // Trailing blanks dropped; the list shows header captions from the columns.
        f.addType("Retail    ");
        onNextModal([](QWidget* w) {
            auto* list = static_cast<KKList*>(w);
            QCOMPARE(list->findChild<QLabel*>("lblField_0")->text(), QString("CCategory"));
            QCOMPARE(list->findChild<QLabel*>("lblField_1")->text(), QString("EId"));
            list->list()->setCurrentRow(0);
            QTest::keyClick(list->list(), Qt::Key_Return);
        });
        f.click(18);
        QCOMPARE(f.screen()->listLabel(18)->text(), QString("Retail"));
        QCOMPARE(f.text(18), f.folder.scalar("Select EId From kmCustType"));

        // The list has the keys as it opens: Enter takes its first entry.
        f.folder.exec("DELETE FROM kmCustType");
        f.addType("Trade");
        f.addType("Zeta");
        bool listFocused = false;
        onNextModal([&](QWidget* w) {
            auto* list = static_cast<KKList*>(w);
            // The keyboard focus arrives with the window's activation, as it does for a user.
            listFocused = QTest::qWaitForWindowActive(list) && QApplication::focusWidget() == list->list()
                          && list->list()->currentRow() == 0;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        f.click(18);
        QVERIFY(listFocused);
        QCOMPARE(f.screen()->listLabel(18)->text(), QString("Trade"));

        // An empty list closes without changing anything.
        f.folder.exec("DELETE FROM kmCustType");
        onNextModal([](QWidget* w) { static_cast<KKList*>(w)->choose(); });
        f.click(18);
        QCOMPARE(f.screen()->listLabel(18)->text(), QString("Trade"));
    }

    void padTextAndGridFormatting()
    {
        QCOMPARE(PadText("  abc  ", 5), QString("abc  "));
        QCOMPARE(PadText("abcdefgh", 3), QString("abc"));

        EngineFixture f;
        f.folder.exec("CREATE TABLE tGrid (EId INTEGER PRIMARY KEY, EDate DATETIME, Amount REAL)");
        f.folder.exec("INSERT INTO tGrid (EDate, Amount) VALUES ('2025-03-05 10:30:00', 1234.5)");
        Recordset r;
        r.open("Select * From tGrid", *state().connection, CursorType::Static, LockType::ReadOnly);
        DataGrid grid;
        grid.bind(r);
        Engine::FormatGridValues(grid, r);
        QCOMPARE((QStringList{grid.cellText(0, 2), grid.cellText(1, 1), grid.cellText(1, 2)}),
                 (QStringList{"Amount", "03/05/2025", "1234.50"}));
        QCOMPARE(grid.rowCount(), 2);
    }

    // Every record screen binds box i to column i: the table has exactly its fields, each field
    // knows its column, and a text column is as wide as its box.
    void fieldsMatchTheirTables()
    {
        TestDataFolder folder;
        for (const ModuleDef& m : ModuleCatalogue::modules()) {
            Recordset r;
            r.open("Select * From " + m.table + " Where 1=2", *state().connection, CursorType::Static,
                   LockType::ReadOnly);
            QCOMPARE(r.fieldCount(), m.fieldCount + 1);
            QCOMPARE(r.field(0).name(), QString("EId"));
            QCOMPARE(r.field(1).type(), FieldType::Date);
            for (int i = 0; i <= m.fieldCount; ++i) {
                QCOMPARE(m.fields.at(i).column, r.field(i).name());
                QCOMPARE(m.indexOf(r.field(i).name()), i);
                if (r.field(i).type() == FieldType::VarChar && i >= 2)
                    QVERIFY2(r.field(i).definedSize() == m.fields.at(i).maxLength,
                             qPrintable(m.table + "." + r.field(i).name()));
            }
        }
    }

    // A master id's name comes from the table its pick list reads, and the statement runs.
    void masterNamesFromPickListSources_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QStringList>("names"); // "index column table" for each master-id field
        QTest::newRow("customers") << "KKCustomer" << QStringList{"18 CCategory kmCustType"};
        QTest::newRow("news") << "KKNews" << QStringList{"2 NCategory kmNewsType"};
        QTest::newRow("send news") << "KKSNews" << QStringList{"2 NReference ktNews", "3 CCategory kmCustType"};
        QTest::newRow("market lead") << "KKMLead" << QStringList{"2 LReference ktLead", "3 CCategory kmCustType"};
        QTest::newRow("email survey") << "KKESurvey" << QStringList{"2 SName ktSurvey", "3 CCategory kmCustType"};
        QTest::newRow("survey updates") << "KKSUpdate" << QStringList{"2 SName ktSurvey"};
        QTest::newRow("users") << "KKUser" << QStringList{};
    }
    void masterNamesFromPickListSources()
    {
        QFETCH(QString, screen);
        QFETCH(QStringList, names);
        TestDataFolder folder;
        const ModuleDef* m = ModuleCatalogue::find(screen);
        QVERIFY(m);
        QStringList found;
        for (int i = 0; i <= m->fieldCount; ++i)
            if (const QString sql = m->fields.at(i).masterNameStatement(); !sql.isEmpty()) {
                found << QString("%1: %2").arg(i).arg(sql);
                Recordset r;
                r.open(sql + "1", *state().connection, CursorType::Static, LockType::ReadOnly);
            }
        QStringList expected;
        for (const QString& n : names)
            expected << QString("%1: Select %2 From %3 Where EId=").arg(n.section(' ', 0, 0), n.section(' ', 1, 1), n.section(' ', 2));
        QCOMPARE(found, expected);
    }
};

QTEST_MAIN(BindingTest)
#include "tst_binding.moc"
