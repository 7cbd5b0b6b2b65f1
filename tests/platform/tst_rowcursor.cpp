// Rows read one at a time from the encrypted database give every field as the record set
// shows it, whatever SQLite stored in the column.
#include "PlatformFixture.h"
#include "common/TestSupport.h"
#include "platform/DbBackend.h"
#include "platform/RowCursor.h"

#include <QtTest>

class TstRowCursor : public QObject {
    Q_OBJECT
private slots:
    void fieldsAsARecordSetShowsThem_data()
    {
        // Values for: Txt VARCHAR(20), Note MEMO, Num INTEGER, Amount DOUBLE, Seen DATETIME, Plain (no type).
        QTest::addColumn<QString>("values");
        QTest::newRow("as declared") << "'Zoë  ', 'a\r\nb', 42, 2.5, '2024-05-01', 7";
        QTest::newRow("blanks and words in number columns") << "' 12 ', 'x', '  ', ' ', '2024-05-01 13:45:00', 'abc'";
        QTest::newRow("words in number columns") << "'', '', 'n/a', 'none', '', ''";
        QTest::newRow("numbers where text is declared") << "1.5, 20, 3.75, 10, '2024-12-31', 1e20";
        QTest::newRow("whole number past a double's precision") << "'', '', -7, 9007199254740993, '', 0.1";
        QTest::newRow("a date the program cannot read") << "'t', 'm', 1, 0, 'soon', ''";
        QTest::newRow("nulls") << "NULL, NULL, NULL, NULL, NULL, NULL";
    }
    void fieldsAsARecordSetShowsThem()
    {
        QFETCH(QString, values);
        TestDataFolder folder;
        folder.exec("CREATE TABLE tCursor (EId INTEGER PRIMARY KEY, Txt VARCHAR(20), Note MEMO, Num INTEGER, "
                    "Amount DOUBLE, Seen DATETIME, Plain)");
        // The same date twice: the second comes from what the cursor remembers.
        folder.exec("INSERT INTO tCursor (Txt, Note, Num, Amount, Seen, Plain) VALUES (" + values + "), (" + values + ")");
        const QString sql = "Select * From tCursor Order By EId";
        Recordset rs;
        rs.open(sql, db());
        const std::unique_ptr<RowCursor> rows = db().backend().openCursor(sql);
        QCOMPARE(rows->columns().size(), rs.columns().size());
        int read = 0;
        for (; rows->next(); rs.moveNext(), ++read)
            for (int i = 0; i < rs.fieldCount(); ++i)
                QCOMPARE(rows->text(i).toByteArray(), rs.field(i).text().toUtf8());
        QCOMPARE(read, 2);
        QVERIFY(rs.eof());
        QVERIFY(!rows->next());
    }
};

QTEST_MAIN(TstRowCursor)
#include "tst_rowcursor.moc"
