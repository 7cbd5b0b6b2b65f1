// Client-side record sets on a real encrypted database: navigation, writes through by EId,
// Find, field metadata and the conversion of written values.
#include "common/TestSupport.h"
#include "platform/AppError.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"
#include "shell/ProgramState.h"

#include <QtTest>

namespace {

Connection& db() { return *state().connection; }

// Runs f and returns the AppError number it raised (0 when it raised none).
template <class F>
int errorOf(F&& f)
{
    try {
        f();
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

void addType(const QString& category)
{
    db().execute(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES (#1/2/2024#, '%1', 'r')")
                     .arg(category));
}

// A table with one column of each kind the program knows.
void createKinds()
{
    db().execute(QStringLiteral("CREATE TABLE kxKinds (EId INTEGER PRIMARY KEY AUTOINCREMENT, EDate DATETIME, "
                                "XNum INTEGER, XVal DOUBLE, XText VARCHAR(5), XMemo MEMO)"));
}

}

class TstRecordset : public QObject {
    Q_OBJECT
private slots:
    void navigationAndEnds();
    void emptyRecordset();
    void addUpdateCancel();
    void deleteKeepsClassicPosition();
    void findForwardAndCriteria();
    void fieldMetadata();
    void writtenValuesAreConverted();
    void readOnlyRefusesWrites();
};

void TstRecordset::navigationAndEnds()
{
    TestDataFolder folder;
    for (const char* c : {"Alpha", "Beta", "Gamma"})
        addType(QLatin1String(c));
    Recordset rs;
    rs.open(QStringLiteral("Select * From kmCustType ORDER BY EId"), db(), CursorType::Dynamic, LockType::ReadOnly);
    QCOMPARE(rs.recordCount(), 3);
    QVERIFY(!rs.bof() && !rs.eof());
    QCOMPARE(rs.field(QStringLiteral("CCategory")).text(), QStringLiteral("Alpha"));
    rs.moveNext();
    rs.moveNext();
    QCOMPARE(rs.field(2).text(), QStringLiteral("Gamma"));
    rs.moveNext();
    QVERIFY(rs.eof() && !rs.bof());
    QCOMPARE(rs.position(), 3);
    QCOMPARE(errorOf([&] { rs.field(2).value(); }), DbErrors::NoCurrentRecord);
    QCOMPARE(errorOf([&] { rs.moveNext(); }), DbErrors::NoCurrentRecord);
    rs.movePrevious();
    QCOMPARE(rs.field(2).text(), QStringLiteral("Gamma"));
    rs.moveFirst();
    rs.movePrevious();
    QVERIFY(rs.bof() && !rs.eof());
    QCOMPARE(errorOf([&] { rs.field(2).text(); }), DbErrors::NoCurrentRecord);
    QCOMPARE(errorOf([&] { rs.movePrevious(); }), DbErrors::NoCurrentRecord);
    rs.moveNext();
    QCOMPARE(rs.field(2).text(), QStringLiteral("Alpha"));
    rs.moveLast();
    QCOMPARE(rs.field(2).text(), QStringLiteral("Gamma"));
    QCOMPARE(errorOf([&] { rs.open(QStringLiteral("kmCustType"), db()); }), DbErrors::AlreadyOpen);
    rs.close();
    QVERIFY(!rs.isOpen());
    QCOMPARE(errorOf([&] { rs.eof(); }), DbErrors::NotOpen);
    // A table name alone is the whole table.
    rs.open(QStringLiteral("kmCustType"), db(), CursorType::Static, LockType::ReadOnly);
    QCOMPARE(rs.recordCount(), 3);
    QCOMPARE(rs.fieldCount(), 4);
    QCOMPARE(errorOf([&] { rs.indexOf(QStringLiteral("Nope")); }), DbErrors::ItemNotFound);
}

void TstRecordset::emptyRecordset()
{
    TestDataFolder folder;
    Recordset rs;
    rs.open(QStringLiteral("ktLead"), db(), CursorType::Dynamic, LockType::Optimistic);
    QCOMPARE(rs.recordCount(), 0);
    QVERIFY(rs.bof());
    QVERIFY(rs.eof());
    for (auto move : {&Recordset::moveFirst, &Recordset::moveLast, &Recordset::moveNext, &Recordset::movePrevious})
        QCOMPARE(errorOf([&] { (rs.*move)(); }), DbErrors::NoCurrentRecord);
    QCOMPARE(errorOf([&] { rs.field(0).value(); }), DbErrors::NoCurrentRecord);
    QCOMPARE(errorOf([&] { rs.deleteCurrent(); }), DbErrors::NoCurrentRecord);
    // Metadata needs no row.
    QCOMPARE(rs.field(QStringLiteral("LMessage")).type(), int(FieldType::Memo));
    QCOMPARE(rs.field(QStringLiteral("LSubject")).definedSize(), 50);
    rs.find(QStringLiteral("EId = 1"));
    QVERIFY(rs.eof());
}

void TstRecordset::addUpdateCancel()
{
    TestDataFolder folder;
    addType(QStringLiteral("Old"));
    Recordset list;
    list.open(QStringLiteral("Select EId, EDate From kmCustType"), db(), CursorType::Dynamic, LockType::Optimistic);
    QCOMPARE(list.recordCount(), 1);

    // Save's first step: AddNew with only the date, Update; the new EId is there at once.
    db().beginTrans();
    list.addNew();
    QVERIFY(!list.eof() && !list.bof());
    QVERIFY(list.field(0).value().isNull());
    list.field(QStringLiteral("EDate")).setValue(QStringLiteral("03/05/2024"));
    list.update();
    db().commitTrans();
    QCOMPARE(list.recordCount(), 2);
    QCOMPARE(list.position(), 1);
    const qint64 id = list.currentId();
    QVERIFY(id > 1);
    QCOMPARE(list.field(1).value(), QVariant(QDate(2024, 3, 5)));
    QCOMPARE(folder.scalar(QStringLiteral("Select EDate || '' From kmCustType Where EId = %1").arg(id)),
             QStringLiteral("2024-03-05"));

    // Then the whole row through the one-record set.
    Recordset one;
    one.open(QStringLiteral("Select * From kmCustType Where EId= %1").arg(id), db(), CursorType::Dynamic,
             LockType::Optimistic);
    one.field(2).setValue(QStringLiteral("Retail"));
    one.field(3).setValue(QStringLiteral("Shops"));
    QCOMPARE(one.field(2).text(), QStringLiteral("Retail")); // the pending value is what a read sees
    one.update();
    QCOMPARE(folder.scalar(QStringLiteral("Select CCategory From kmCustType Where EId = %1").arg(id)),
             QStringLiteral("Retail"));
    QCOMPARE(errorOf([&] { one.field(0).setValue(99); }), DbErrors::ReadOnly); // EId is the database's

    // Moving saves a pending edit; CancelUpdate drops one.
    one.field(3).setValue(QStringLiteral("Moved"));
    one.moveFirst();
    QCOMPARE(folder.scalar(QStringLiteral("Select CRemarks From kmCustType Where EId = %1").arg(id)),
             QStringLiteral("Moved"));
    one.field(3).setValue(QStringLiteral("Dropped"));
    one.cancelUpdate();
    QCOMPARE(one.field(3).text(), QStringLiteral("Moved"));

    list.moveFirst();
    list.addNew();
    list.cancelUpdate();
    QCOMPARE(list.position(), 0);
    QCOMPARE(list.recordCount(), 2);
    QCOMPARE(folder.count(QStringLiteral("kmCustType")), 2);
    list.close();
    one.close();
}

void TstRecordset::deleteKeepsClassicPosition()
{
    TestDataFolder folder;
    for (const char* c : {"A", "B", "C", "D"})
        addType(QLatin1String(c));
    Recordset rs;
    rs.open(QStringLiteral("Select * From kmCustType ORDER BY CCategory"), db(), CursorType::Dynamic, LockType::Optimistic);
    rs.moveNext(); // B
    rs.deleteCurrent();
    QCOMPARE(rs.recordCount(), 3);
    QVERIFY(!rs.eof() && !rs.bof());
    QCOMPARE(errorOf([&] { rs.field(2).text(); }), DbErrors::NoCurrentRecord);
    rs.moveNext();
    QCOMPARE(rs.field(2).text(), QStringLiteral("C"));
    rs.deleteCurrent();
    rs.movePrevious();
    QCOMPARE(rs.field(2).text(), QStringLiteral("A"));
    rs.moveLast(); // D, the last
    rs.deleteCurrent();
    rs.moveNext();
    QVERIFY(rs.eof());
    rs.moveLast();
    QCOMPARE(rs.field(2).text(), QStringLiteral("A"));
    rs.deleteCurrent(); // the only row
    QCOMPARE(rs.recordCount(), 0);
    rs.moveNext();
    QVERIFY(rs.eof() && rs.bof());
    QCOMPARE(errorOf([&] { rs.moveLast(); }), DbErrors::NoCurrentRecord);
    QCOMPARE(folder.count(QStringLiteral("kmCustType")), 0);
}

void TstRecordset::findForwardAndCriteria()
{
    TestDataFolder folder;
    for (const char* c : {"chief", "Sales", "Ärger", "sales"})
        db().execute(QStringLiteral("INSERT INTO kaUser (EDate, ULogin, UPasscd, UHint, UMode, URemarks) "
                                    "VALUES (#1/2/2024#, '%1', 'p', 'h', 'U', 'r')")
                         .arg(QString::fromUtf8(c)));
    Recordset rs;
    rs.open(QStringLiteral("Select * From kaUser ORDER BY EId"), db(), CursorType::Dynamic, LockType::ReadOnly);
    QCOMPARE(rs.recordCount(), 5); // Chief of the installation first

    rs.find(QStringLiteral("ULogin= 'Chief'"));
    QCOMPARE(rs.position(), 0); // the current row counts
    rs.find(QStringLiteral("ULogin= 'CHIEF'"));
    QCOMPARE(rs.position(), 0);
    rs.moveNext();
    rs.find(QStringLiteral("ULogin= 'chief'"));
    QCOMPARE(rs.position(), 1); // forward only: the next match
    rs.find(QStringLiteral("ULogin Like 'SAL%'"));
    QCOMPARE(rs.field(QStringLiteral("ULogin")).text(), QStringLiteral("Sales"));
    rs.find(QStringLiteral("ULogin like 'ä%'"));
    QCOMPARE(rs.field(QStringLiteral("ULogin")).text(), QStringLiteral("Ärger"));
    rs.moveFirst();
    rs.find(QStringLiteral("EId >= 4"));
    QCOMPARE(rs.currentId(), qint64(4));
    rs.find(QStringLiteral("[EId] <> 4"));
    QCOMPARE(rs.currentId(), qint64(5));
    rs.find(QStringLiteral("EDate = #1/2/2024#"));
    QCOMPARE(rs.currentId(), qint64(5));
    rs.find(QStringLiteral("ULogin = 'nobody'"));
    QVERIFY(rs.eof());

    // A typed id that tries to widen the condition is refused and nothing moves.
    rs.moveFirst();
    rs.moveNext();
    for (const char* bad : {"ULogin= 'x' Or 'a'='a'", "ULogin= 'x'' Or ''a''=''a'", "ULogin = x", "Nope = 1",
                            "ULogin", "ULogin == 'x'", "ULogin = 'x'; DELETE FROM kaUser"}) {
        QCOMPARE(errorOf([&] { rs.find(QLatin1String(bad)); }), DbErrors::BadCriteria);
        QCOMPARE(rs.position(), 1);
    }
}

void TstRecordset::fieldMetadata()
{
    TestDataFolder folder;
    createKinds();
    db().execute(QStringLiteral("INSERT INTO kxKinds (EDate, XNum, XVal, XText, XMemo) VALUES "
                                "('2024-03-04 10:30:00', 42, 2.5, 'abc', 'long text')"));
    db().execute(QStringLiteral("INSERT INTO kxKinds (EDate) VALUES (NULL)"));
    Recordset rs;
    rs.open(QStringLiteral("Select k.*, Count(*) As n, XVal * 2 As twice, XText || 'x' As t, NULL As z "
                           "From kxKinds k GROUP BY k.EId ORDER BY k.EId"),
            db(), CursorType::Static, LockType::ReadOnly);
    struct Expect { const char* name; int type; int size; int actual; };
    const Expect expected[] = {{"EId", 3, 4, 4},    {"EDate", 7, 8, 8},  {"XNum", 3, 4, 4},
                               {"XVal", 5, 8, 8},   {"XText", 202, 5, 3}, {"XMemo", 203, 65500, 9},
                               {"n", 3, 4, 4},      {"twice", 5, 8, 8},  {"t", 202, 255, 4},
                               {"z", 202, 255, 0}};
    QCOMPARE(rs.fieldCount(), 10);
    for (int i = 0; i < 10; ++i) {
        const Field f = rs.field(i);
        QCOMPARE(f.name(), QLatin1String(expected[i].name));
        QCOMPARE(f.type(), expected[i].type);
        QCOMPARE(f.definedSize(), expected[i].size);
        QCOMPARE(f.actualSize(), expected[i].actual);
    }
    QCOMPARE(rs.field(QStringLiteral("EDate")).value(), QVariant(QDateTime(QDate(2024, 3, 4), QTime(10, 30))));
    QCOMPARE(rs.field(QStringLiteral("XNum")).value(), QVariant(qlonglong(42)));
    QCOMPARE(rs.field(QStringLiteral("twice")).text(), QStringLiteral("5"));
    QCOMPARE(rs.columns().at(2).baseTable, QStringLiteral("kxKinds"));
    QCOMPARE(rs.columns().at(6).baseTable, QString());
    rs.moveNext();
    for (const char* name : {"EDate", "XNum", "XVal", "XText", "XMemo"}) {
        QVERIFY(rs.field(QLatin1String(name)).value().isNull());
        QCOMPARE(rs.field(QLatin1String(name)).text(), QString());
        QCOMPARE(rs.field(QLatin1String(name)).actualSize(), 0);
    }
}

void TstRecordset::writtenValuesAreConverted()
{
    TestDataFolder folder;
    createKinds();
    Recordset rs;
    rs.open(QStringLiteral("kxKinds"), db(), CursorType::Dynamic, LockType::Optimistic);
    rs.addNew();
    rs.field(QStringLiteral("EDate")).setValue(QStringLiteral("12/31/2023"));
    rs.field(QStringLiteral("XNum")).setValue(QStringLiteral(" 17 "));
    rs.field(QStringLiteral("XVal")).setValue(QStringLiteral("12.5"));
    rs.field(QStringLiteral("XText")).setValue(QStringLiteral("abcde"));
    rs.field(QStringLiteral("XMemo")).setValue(QString(70000, QLatin1Char('m')));
    rs.update();
    const QString id = QString::number(rs.currentId());
    const auto stored = [&](const char* column) {
        return folder.scalar(QStringLiteral("Select typeof(%1) || ':' || %1 From kxKinds Where EId = %2")
                                 .arg(QLatin1String(column), id));
    };
    QCOMPARE(stored("EDate"), QStringLiteral("text:2023-12-31"));
    QCOMPARE(stored("XNum"), QStringLiteral("integer:17"));
    QCOMPARE(stored("XVal"), QStringLiteral("real:12.5"));
    QCOMPARE(rs.field(QStringLiteral("EDate")).text(), QStringLiteral("12/31/2023"));
    QCOMPARE(rs.field(QStringLiteral("XVal")).text(), QStringLiteral("12.5"));

    rs.field(QStringLiteral("EDate")).setValue(QStringLiteral("2024-02-29 08:15:00"));
    rs.field(QStringLiteral("XNum")).setValue(QString());
    rs.field(QStringLiteral("XVal")).setValue(1e20);
    rs.update();
    QCOMPARE(stored("EDate"), QStringLiteral("text:2024-02-29 08:15:00"));
    QVERIFY(rs.field(QStringLiteral("XNum")).value().isNull());
    QCOMPARE(rs.field(QStringLiteral("XVal")).text(), QStringLiteral("100000000000000000000"));

    const struct { const char* column; QVariant value; int error; } refused[] = {
        {"EDate", QStringLiteral("02/30/2024"), DbErrors::TypeMismatch},
        {"EDate", QStringLiteral("soon"), DbErrors::TypeMismatch},
        {"XNum", QStringLiteral("12.5"), DbErrors::TypeMismatch},
        {"XNum", QStringLiteral("12a"), DbErrors::TypeMismatch},
        {"XNum", QStringLiteral("9999999999"), DbErrors::TypeMismatch},
        {"XVal", QStringLiteral("12,5"), DbErrors::TypeMismatch},
        {"XText", QStringLiteral("abcdef"), DbErrors::FieldTooSmall},
    };
    for (const auto& r : refused) {
        try {
            rs.field(QLatin1String(r.column)).setValue(r.value);
            QFAIL(qPrintable(QStringLiteral("%1 accepted %2").arg(QLatin1String(r.column), r.value.toString())));
        } catch (const AppError& e) {
            QCOMPARE(e.number(), r.error);
            QVERIFY2(e.description().contains(QLatin1String(r.column)), qPrintable(e.description()));
        }
    }
    rs.update();
    QCOMPARE(stored("XText"), QStringLiteral("text:abcde"));
}

void TstRecordset::readOnlyRefusesWrites()
{
    TestDataFolder folder;
    addType(QStringLiteral("One"));
    const QString join = QStringLiteral("Select a.EId, a.CFirst, b.CCategory From ktCustomer a, kmCustType b Where a.CType = b.EId");
    db().execute(QStringLiteral("INSERT INTO ktCustomer (EDate, CFirst, CType) VALUES (#1/2/2024#, 'Ann', 1)"));
    const struct { QString source; LockType lock; } sets[] = {
        {QStringLiteral("kmCustType"), LockType::ReadOnly},
        {join, LockType::Optimistic},
        {QStringLiteral("Select CCategory From kmCustType"), LockType::Optimistic},
        {QStringLiteral("Select Count(*) As n From kmCustType"), LockType::Optimistic},
    };
    for (const auto& s : sets) {
        Recordset rs;
        rs.open(s.source, db(), CursorType::Dynamic, s.lock);
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(errorOf([&] { rs.addNew(); }), DbErrors::ReadOnly);
        QCOMPARE(errorOf([&] { rs.field(rs.fieldCount() - 1).setValue(QStringLiteral("x")); }), DbErrors::ReadOnly);
        QCOMPARE(errorOf([&] { rs.deleteCurrent(); }), DbErrors::ReadOnly);
        QCOMPARE(errorOf([&] { rs.update(); }), DbErrors::ReadOnly);
    }
    QCOMPARE(folder.count(QStringLiteral("kmCustType")), 1);
    QCOMPARE(folder.scalar(QStringLiteral("Select CCategory From kmCustType")), QStringLiteral("One"));
}

QTEST_MAIN(TstRecordset)
#include "tst_recordset.moc"
