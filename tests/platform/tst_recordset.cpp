// Client-side record sets on a real encrypted database and on a real database server:
// navigation, writes through by EId, Find, field metadata and the conversion of written values.
#include "PlatformFixture.h"
#include "common/PgTestServer.h"
#include "common/TestSupport.h"
#include "platform/DbBackend.h"
#include "platform/RowCursor.h"

#include <QtTest>
#include <functional>

namespace {

using Move = void (Recordset::*)();
constexpr Move First = &Recordset::moveFirst, Prev = &Recordset::movePrevious, Next = &Recordset::moveNext,
               Last = &Recordset::moveLast, Delete = &Recordset::deleteCurrent;

// Runs each move and checks the category (column 2) then current; nullptr: no record is current.
void walk(Recordset& rs, std::initializer_list<std::pair<Move, const char*>> steps)
{
    for (const auto& [move, shown] : steps) {
        (rs.*move)();
        if (shown)
            QCOMPARE(rs.field(2).text(), QLatin1String(shown));
        else
            QCOMPARE(errorOf([&] { rs.field(2).value(); }), DbErrors::NoCurrentRecord);
    }
}

}

class TstRecordset : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { addBackendRows(); }

    void navigationDeleteAndFind()
    {
        TestDataFolder folder(folderOptions(m_server));
        db().execute(QStringLiteral("INSERT INTO kmCustType (CCategory) VALUES ('A'), ('B'), ('C'), ('D')"));
        Recordset rs;
        rs.open(QStringLiteral("Select * From kmCustType ORDER BY EId"), db(), CursorType::Dynamic, LockType::ReadOnly);
        QCOMPARE(rs.recordCount(), 4);
        QVERIFY(!rs.bof() && !rs.eof());
        walk(rs, {{Next, "B"}, {Last, "D"}, {Next, nullptr}});
        QVERIFY(rs.eof() && !rs.bof() && rs.position() == 4);
        QCOMPARE(errorOf([&] { rs.moveNext(); }), DbErrors::NoCurrentRecord);
        walk(rs, {{Prev, "D"}, {First, "A"}, {Prev, nullptr}});
        QVERIFY(rs.bof() && !rs.eof());
        QCOMPARE(errorOf([&] { rs.movePrevious(); }), DbErrors::NoCurrentRecord);
        walk(rs, {{Next, "A"}, {Last, "D"}});
        QCOMPARE(errorOf([&] { rs.open(QStringLiteral("kmCustType"), db()); }), DbErrors::AlreadyOpen);
        QCOMPARE(errorOf([&] { rs.indexOf(QStringLiteral("Nope")); }), DbErrors::ItemNotFound);
        rs.close();

        // A deleted row stays current, unreadable, until the next move.
        rs.open(QStringLiteral("Select * From kmCustType ORDER BY CCategory"), db(), CursorType::Dynamic, LockType::Optimistic);
        walk(rs, {{Next, "B"}, {Delete, nullptr}});
        QCOMPARE(rs.recordCount(), 3);
        QVERIFY(!rs.eof() && !rs.bof());
        walk(rs, {{Next, "C"}, {Delete, nullptr}, {Prev, "A"}, {Last, "D"}, {Delete, nullptr}, {Next, nullptr}});
        QVERIFY(rs.eof());
        walk(rs, {{Last, "A"}, {Delete, nullptr}, {Next, nullptr}}); // the only row
        QVERIFY(rs.eof() && rs.bof());
        QCOMPARE(errorOf([&] { rs.moveLast(); }), DbErrors::NoCurrentRecord);
        QCOMPARE(folder.count(QStringLiteral("kmCustType")), 0);
        rs.close();

        // A table name alone is the whole table; an empty one is at BOF and EOF at once.
        rs.open(QStringLiteral("ktLead"), db(), CursorType::Dynamic, LockType::Optimistic);
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.bof() && rs.eof());
        for (Move move : {First, Last, Next, Prev, Delete})
            QCOMPARE(errorOf([&] { (rs.*move)(); }), DbErrors::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rs.field(0).value(); }), DbErrors::NoCurrentRecord);
        QCOMPARE(rs.field(QStringLiteral("LMessage")).type(), int(FieldType::Memo)); // metadata needs no row
        QCOMPARE(rs.field(QStringLiteral("LSubject")).definedSize(), 50);
        rs.close();

        // Find starts at the current row (after an optional move) and goes forward only; 5 is EOF.
        db().execute(QStringLiteral("INSERT INTO kaUser (EDate, ULogin) VALUES (#1/2/2024#, 'chief'), (#1/2/2024#, 'Sales'), "
                                    "(#1/2/2024#, 'Ärger'), (#1/2/2024#, 'sales')"));
        rs.open(QStringLiteral("Select * From kaUser ORDER BY EId"), db(), CursorType::Dynamic, LockType::ReadOnly);
        QCOMPARE(rs.recordCount(), 5); // Chief of the installation first: Chief, chief, Sales, Ärger, sales
        const struct { Move before; const char* criteria; int position; } finds[] = {
            {nullptr, "ULogin= 'Chief'", 0},    {nullptr, "ULogin= 'CHIEF'", 0}, {Next, "ULogin= 'chief'", 1},
            {nullptr, "ULogin Like 'SAL%'", 2}, {nullptr, "ULogin like 'ä%'", 3}, {First, "EId >= 4", 3},
            {nullptr, "[EId] <> 4", 4},         {nullptr, "EDate = #1/2/2024#", 4}, {nullptr, "ULogin = 'nobody'", 5}};
        for (const auto& f : finds) {
            if (f.before)
                (rs.*f.before)();
            rs.find(QString::fromUtf8(f.criteria));
            QCOMPARE(rs.position(), f.position);
        }

        // A typed id that tries to widen the condition is refused and nothing moves.
        walk(rs, {{First, "Chief"}, {Next, "chief"}});
        for (const char* bad : {"ULogin= 'x' Or 'a'='a'", "ULogin= 'x'' Or ''a''=''a'", "ULogin = x", "Nope = 1",
                                "ULogin", "ULogin == 'x'", "ULogin = 'x'; DELETE FROM kaUser"}) {
            QCOMPARE(errorOf([&] { rs.find(QLatin1String(bad)); }), DbErrors::BadCriteria);
            QCOMPARE(rs.position(), 1);
        }
    }

    void writesMetadataAndConversion()
    {
        TestDataFolder folder(folderOptions(m_server));
        db().execute(QStringLiteral("INSERT INTO kmCustType (CCategory, CRemarks) VALUES ('Old', 'r')"));
        // A column of a row as a new read from the database gives it, with its kind: "text:abc".
        const auto stored = [&](const char* table, const char* column, qint64 id) {
            const ResultSet r = db().backend().query(
                QStringLiteral("Select %2 From %1 Where EId = ?").arg(QLatin1String(table), QLatin1String(column)), {id});
            const QVariant v = r.rows.value(0).value(0);
            switch (v.typeId()) {
            case QMetaType::LongLong: return QStringLiteral("integer:") + v.toString();
            case QMetaType::Double: return QStringLiteral("real:") + QString::number(v.toDouble(), 'g', 17);
            case QMetaType::QDate: return QStringLiteral("date:") + v.toDate().toString(Qt::ISODate);
            case QMetaType::QDateTime: return QStringLiteral("date:") + v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            case QMetaType::QString: return QStringLiteral("text:") + v.toString();
            default: return v.isNull() ? QString() : QStringLiteral("other:") + v.toString();
            }
        };
        Recordset list;
        list.open(QStringLiteral("Select EId, EDate From kmCustType"), db(), CursorType::Dynamic, LockType::Optimistic);

        // Save's first step: AddNew with only the date, Update; the new EId is there at once.
        list.addNew();
        QVERIFY(!list.eof() && !list.bof() && list.field(0).value().isNull());
        list.field(QStringLiteral("EDate")).setValue(QStringLiteral("03/05/2024"));
        list.update();
        QCOMPARE(list.recordCount(), 2);
        QCOMPARE(list.position(), 1);
        const qint64 id = list.currentId();
        QCOMPARE(list.field(1).value(), QVariant(QDate(2024, 3, 5)));
        QCOMPARE(stored("kmCustType", "EDate", id), QStringLiteral("date:2024-03-05"));

        Recordset one;
        one.open(QStringLiteral("Select * From kmCustType Where EId= %1").arg(id), db(), CursorType::Dynamic, LockType::Optimistic);
        one.field(2).setValue(QStringLiteral("Retail"));
        QCOMPARE(one.field(2).text(), QStringLiteral("Retail")); // the pending value is what a read sees
        one.update();
        QCOMPARE(stored("kmCustType", "CCategory", id), QStringLiteral("text:Retail"));
        QCOMPARE(errorOf([&] { one.field(0).setValue(99); }), DbErrors::ReadOnly); // EId is the database's

        // Moving saves a pending edit; CancelUpdate drops one.
        one.field(3).setValue(QStringLiteral("Moved"));
        one.moveFirst();
        QCOMPARE(stored("kmCustType", "CRemarks", id), QStringLiteral("text:Moved"));
        one.field(3).setValue(QStringLiteral("Dropped"));
        one.cancelUpdate();
        QCOMPARE(one.field(3).text(), QStringLiteral("Moved"));
        list.moveFirst();
        list.addNew();
        list.cancelUpdate();
        QCOMPARE(list.position(), 0);
        QCOMPARE(list.recordCount(), 2);

        // Read-only by its lock, or by what it selects: a join, no EId, a computed column.
        db().execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst, CType) VALUES (#1/2/2024#, 'Ann', %1)").arg(id));
        const struct { const char* source; LockType lock; int rows; } sets[] = {
            {"kmCustType", LockType::ReadOnly, 2},
            {"Select a.EId, a.CFirst, b.CCategory From ktCustomer a, kmCustType b Where a.CType = b.EId", LockType::Optimistic, 1},
            {"Select CCategory From kmCustType", LockType::Optimistic, 2},
            {"Select EId, Count(*) As n From kmCustType GROUP BY EId", LockType::Optimistic, 2}};
        for (const auto& s : sets) {
            Recordset rs;
            rs.open(QLatin1String(s.source), db(), CursorType::Dynamic, s.lock);
            QCOMPARE(rs.recordCount(), s.rows);
            QCOMPARE(errorOf([&] { rs.addNew(); }), DbErrors::ReadOnly);
            QCOMPARE(errorOf([&] { rs.field(rs.fieldCount() - 1).setValue(QStringLiteral("x")); }), DbErrors::ReadOnly);
            QCOMPARE(errorOf([&] { rs.deleteCurrent(); }), DbErrors::ReadOnly);
            QCOMPARE(errorOf([&] { rs.update(); }), DbErrors::ReadOnly);
        }
        QCOMPARE(folder.count(QStringLiteral("kmCustType")), 2);
        QCOMPARE(stored("kmCustType", "CCategory || CRemarks", 1), QStringLiteral("text:Oldr"));

        // A table with one column of each kind the program knows.
        db().execute(QStringLiteral("CREATE TABLE kxKinds (EId INTEGER PRIMARY KEY AUTOINCREMENT, EDate DATETIME, "
                                    "XNum INTEGER, XVal DOUBLE, XText VARCHAR(5), XMemo MEMO)"));
        db().execute(QStringLiteral("INSERT INTO kxKinds (EDate, XNum, XVal, XText, XMemo) VALUES "
                                    "('2024-03-04 10:30:00', 42, 2.5, 'abc', 'long text'), (NULL, NULL, NULL, NULL, NULL)"));
        Recordset rs;
        rs.open(QStringLiteral("Select k.*, Count(*) As n, XVal * 2 As twice, XText || 'x' As t, NULL As z "
                               "From kxKinds k GROUP BY k.EId ORDER BY k.EId"),
                db(), CursorType::Static, LockType::ReadOnly);
        QStringList described; // name, type code, defined size and actual size of each column
        for (int i = 0; i < rs.fieldCount(); ++i)
            described << QStringLiteral("%1 %2 %3 %4").arg(rs.field(i).name()).arg(rs.field(i).type())
                             .arg(rs.field(i).definedSize()).arg(rs.field(i).actualSize());
        QCOMPARE(described, (QStringList{"EId 3 4 4", "EDate 7 8 8", "XNum 3 4 4", "XVal 5 8 8", "XText 202 5 3",
                                          "XMemo 203 65500 9", "n 3 4 4", "twice 5 8 8", "t 202 255 4", "z 202 255 0"}));
        QCOMPARE(rs.field(QStringLiteral("EDate")).value(), QVariant(QDateTime(QDate(2024, 3, 4), QTime(10, 30))));
        QCOMPARE(rs.field(QStringLiteral("XNum")).value(), QVariant(qlonglong(42)));
        rs.moveNext();
        for (int i = 1; i <= 5; ++i) { // EDate .. XMemo of the row of nulls
            QVERIFY(rs.field(i).value().isNull() && rs.field(i).text().isEmpty());
            QCOMPARE(rs.field(i).actualSize(), 0);
        }
        rs.close();

        rs.open(QStringLiteral("kxKinds"), db(), CursorType::Dynamic, LockType::Optimistic);
        rs.addNew();
        // Each write is converted to the column's type or refused naming the column; then what is stored and shown.
        const QString memo(70000, QLatin1Char('m')); // a memo takes more than its defined 65500
        constexpr int Mismatch = DbErrors::TypeMismatch, TooLong = DbErrors::FieldTooSmall;
        const struct { const char* column; QVariant value; int error; QString stored, text; } writes[] = { // text: null, unchecked
            {"EDate", QStringLiteral("12/31/2023"), 0, QStringLiteral("date:2023-12-31"), QStringLiteral("12/31/2023")},
            {"XNum", QStringLiteral(" 17 "), 0, QStringLiteral("integer:17"), QStringLiteral("17")},
            {"XVal", QStringLiteral("12.5"), 0, QStringLiteral("real:12.5"), QStringLiteral("12.5")},
            {"XText", QStringLiteral("abcde"), 0, QStringLiteral("text:abcde"), QStringLiteral("abcde")},
            {"XMemo", memo, 0, QStringLiteral("text:") + memo, memo},
            {"EDate", QStringLiteral("02/30/2024"), Mismatch, QStringLiteral("date:2023-12-31"), QStringLiteral("12/31/2023")},
            {"XNum", QStringLiteral("12.5"), Mismatch, QStringLiteral("integer:17"), QStringLiteral("17")},
            {"XNum", QStringLiteral("9999999999"), Mismatch, QStringLiteral("integer:17"), QStringLiteral("17")},
            {"XVal", QStringLiteral("12,5"), Mismatch, QStringLiteral("real:12.5"), QStringLiteral("12.5")},
            {"XText", QStringLiteral("abcdef"), TooLong, QStringLiteral("text:abcde"), QStringLiteral("abcde")},
            {"EDate", QStringLiteral("2024-02-29 08:15:00"), 0, QStringLiteral("date:2024-02-29 08:15:00"), QString()},
            {"XNum", QString(), 0, QString(), QStringLiteral("")},
            {"XVal", 1e20, 0, QStringLiteral("real:1e+20"), QStringLiteral("100000000000000000000")}};
        for (const auto& w : writes) {
            std::optional<AppError> e;
            QCOMPARE(errorOf([&] { rs.field(QLatin1String(w.column)).setValue(w.value); }, &e), w.error);
            QVERIFY2(!w.error || e->description().contains(QLatin1String(w.column)), e ? qPrintable(e->description()) : "");
            rs.update();
            QCOMPARE(stored("kxKinds", w.column, rs.currentId()), w.stored);
            if (!w.text.isNull())
                QCOMPARE(rs.field(QLatin1String(w.column)).text(), w.text);
        }
    }

    void writeOverAnotherCopysChangeRefused()
    {
        TestDataFolder folder(folderOptions(m_server));
        db().execute(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES (#1/2/2024#, 'Retail', 'a'), "
                                    "(#1/2/2024#, 'Trade', 'b'), (#1/2/2024#, 'Export', 'c')"));
        Connection other; // a second copy of the program on the same database
        other.setConnectionString(db().connectionString());
        other.open();
        const auto category = [&](int id) { return folder.scalar(QStringLiteral("Select CCategory From kmCustType Where EId = %1").arg(id)); };

        Recordset mine;
        mine.open(QStringLiteral("Select * From kmCustType ORDER BY EId"), db(), CursorType::Dynamic, LockType::Optimistic);
        // The other copy changes rows 1 (only the letter case) and 2, and deletes row 3.
        other.execute(QStringLiteral("UPDATE kmCustType SET CCategory = 'RETAIL' WHERE EId = 1"));
        other.execute(QStringLiteral("UPDATE kmCustType SET CRemarks = 'theirs' WHERE EId = 2"));
        other.execute(QStringLiteral("DELETE FROM kmCustType WHERE EId = 3"));
        const struct { std::function<void()> write; int id; const char* stored; } writes[] = {
            {[&] { mine.field(2).setValue(QStringLiteral("Mine")); mine.update(); }, 1, "RETAIL"},
            {[&] { mine.moveNext(); mine.field(2).setValue(QStringLiteral("Mine")); mine.update(); }, 2, "Trade"},
            {[&] { mine.deleteCurrent(); }, 2, "Trade"},
            {[&] { mine.moveNext(); mine.field(2).setValue(QStringLiteral("Mine")); mine.update(); }, 3, ""}};
        for (const auto& w : writes) {
            std::optional<AppError> e;
            QCOMPARE(errorOf(w.write, &e), DbErrors::ChangedByAnother);
            QVERIFY2(e->description().contains(QLatin1String("Another user changed")), qPrintable(e->description()));
            QCOMPARE(category(w.id), QLatin1String(w.stored));
        }
        QCOMPARE(folder.count(QStringLiteral("kmCustType")), 2);

        // Read again, the same writes go through, inside a transaction of several statements too.
        mine.close();
        mine.open(QStringLiteral("Select * From kmCustType ORDER BY EId"), db(), CursorType::Dynamic, LockType::Optimistic);
        db().beginTrans();
        mine.field(2).setValue(QStringLiteral("Mine"));
        mine.update();
        QVERIFY(errorOf([&] { db().execute(QStringLiteral("INSERT INTO kmCustType (Nope) VALUES (1)")); }) != 0);
        mine.moveNext();
        mine.deleteCurrent();
        db().commitTrans();
        QCOMPARE(category(1), QStringLiteral("Mine"));
        QCOMPARE(folder.count(QStringLiteral("kmCustType")), 1);
    }

    // Rows read one at a time from the encrypted database give every field as the record set
    // shows it, whatever SQLite stored in the column.
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
        if (onServer())
            QSKIP("SQLite's own column types");
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
private:
    PgTestServer m_server;
};

QTEST_MAIN(TstRecordset)
#include "tst_recordset.moc"
