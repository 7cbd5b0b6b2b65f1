#include "EngineFixture.h"

// The record operations on a master screen and on the customer screen, against the database.
class OperationsTest : public QObject {
    Q_OBJECT

private slots:

    void addSaveCancelAndXeroxOnMasterScreen()
    {
        EngineFixture f;
        state().clock.setFixed(QDateTime(QDate(2025, 3, 20), QTime(9, 0)));
        f.open("KKCustType");
        QVERIFY(!f.editing());
        QCOMPARE(f.text(0), QString()); // empty table: design contents
        f.run(Operation::Last); // Last does nothing
        QVERIFY(f.messages.shown.isEmpty());
        f.run(Operation::First); // First has nothing to move to
        QVERIFY(f.messages.count("Error!") >= 1);

        // Add still works on the empty table.
        f.run(Operation::Add);
        QCOMPARE(f.messages.shown.last(), QString("Confirm Add?"));
        QCOMPARE(f.text(0) + ' ' + f.text(1), QString("(New) 03/20/2025"));
        QVERIFY(f.editing());
        f.set(2, "Retail");
        f.set(3, "Shops");
        f.run(Operation::Save);
        QVERIFY(!f.editing());
        const QString id = f.folder.scalar("Select Max(EId) From kmCustType");
        QCOMPARE(f.text(0), id);
        QCOMPARE(f.folder.scalar("Select CCategory From kmCustType Where EId= " + id), QString("Retail"));
        QCOMPARE(f.folder.scalar("Select EDate From kmCustType Where EId= " + id), QString("03/20/2025"));

        // Cancel after Add shows the last record again and stores nothing.
        f.run(Operation::Add);
        f.set(2, "Ghost");
        f.run(Operation::Cancel);
        QCOMPARE(f.text(0) + ' ' + f.text(2), id + " Retail");
        QCOMPARE(f.folder.count("kmCustType"), 1);
        QVERIFY(!state().NewRecordFlag);

        // Cancel after Modify shows the stored values.
        f.run(Operation::Modify);
        QVERIFY(f.editing());
        f.set(2, "Changed");
        f.run(Operation::Cancel);
        QCOMPARE(f.text(2), QString("Retail"));

        // Xerox, days later: "Rec#" + id in the last field, today's date, saved under a new id.
        state().clock.setFixed(QDateTime(QDate(2025, 4, 2), QTime(9, 0)));
        f.messages.answers = {false};
        f.run(Operation::Xerox);
        QVERIFY(!f.editing()); // answered No
        f.run(Operation::Xerox);
        QCOMPARE(f.text(0) + ' ' + f.text(1) + ' ' + f.text(3), "(New) 04/02/2025 Rec#" + id);
        f.run(Operation::Save);
        QCOMPARE(f.folder.scalar("Select EDate From kmCustType Where EId= " + f.text(0)), QString("04/02/2025"));
        QVERIFY(f.text(0) != id);
        QCOMPARE(f.folder.count("kmCustType"), 2);
        QCOMPARE(f.folder.scalar("Select CCategory || ' ' || CRemarks From kmCustType Where EId= " + f.text(0)), "Retail Rec#" + id);
    }

    void customerSavedWithTypeAndActivePickers()
    {
        EngineFixture f;
        const QString type = f.addType("Wholesale");
        f.open("KKCustomer");
        f.run(Operation::Add);
        QCOMPARE(f.text(18), QString("0"));
        QCOMPARE(f.screen()->listLabel(18)->text(), QString("."));
        const QStringList values{"Mr", "Ann", "Archer", "Acme Ltd", "1 High St", "Flat 2", "Leeds", "Yorks", "UK", "LS1 1AA",
                                 "0113 1", "0113 2", "07700 3", "0113 4", "ann@example.com", "www.example.com"};
        for (int i = 0; i < values.size(); ++i) // every box up to the type
            f.set(i + 2, values.at(i));
        f.set(20, "note");
        f.set(18, type);
        f.click(19); // "Yes" cut to the box's one character
        QCOMPARE(f.text(19), QString("Y"));
        f.run(Operation::Save);
        QVERIFY(!f.editing());
        QCOMPARE(f.screen()->listLabel(18)->text(), QString("Wholesale"));
        const QString id = f.text(0);
        QCOMPARE(f.folder.scalar("Select CActive || ' ' || CType || ' ' || CLast From ktCustomer Where EId= " + id), "Y " + type + " Archer");
    }

    void navigationAndDeleteMiddleLastAndOnly()
    {
        EngineFixture f;
        for (const char* n : {"A", "B", "C", "D"})
            f.addType(n);
        f.open("KKCustType");
        QCOMPARE(f.text(2), QString("D"));
        // Each operation in turn, then the record shown, the rows left and the messages.
        const struct { Operation op; const char* shown; int rows; const char* said; } steps[] = {
            {Operation::Next, "D", 4, ""}, // Next at the end stays on the last
            {Operation::First, "A", 4, ""},
            {Operation::Prior, "A", 4, ""}, // Prior at the beginning stays on the first
            {Operation::Next, "B", 4, ""},
            {Operation::Delete, "B", 4, "Confirm Delete?"}, // answered No
            {Operation::Delete, "C", 3, "Confirm Delete?"}, // the following record, not the last
            {Operation::Last, "D", 3, ""},
            {Operation::Delete, "C", 2, "Confirm Delete?"}, // the last: the record that is then last
            {Operation::Delete, "A", 1, "Confirm Delete?"},
            // The only one: the move and load fail, the boxes keep the values.
            {Operation::Delete, "A", 0, "Confirm Delete?|Error!|Error!"}};
        f.messages.answers = {false};
        for (const auto& step : steps) {
            f.messages.clear();
            f.run(step.op);
            QCOMPARE(f.text(2), QString(step.shown));
            QCOMPARE(f.folder.count("kmCustType"), step.rows);
            QCOMPARE(f.messages.shown.join('|'), QString(step.said));
        }
    }

    // Another desk changed or deleted the record shown here: one message; what was typed is
    // kept until the user chooses, and nothing is written over the other desk's work unasked.
    void workOverAnotherDesksChange_data()
    {
        QTest::addColumn<QString>("otherDesk");
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("message");
        const QString conflict("Changed by another user; your changes are kept on screen: reload or overwrite?");
        const QString update("UPDATE kmCustType SET CCategory = 'Theirs'");
        const QString remove("DELETE FROM kmCustType");
        const QString deleted("This record was deleted by another user.");
        QTest::newRow("save, reload") << update << Operation::Save << QList<bool>{true} << "Theirs" << "Theirs" << false
                                      << conflict;
        QTest::newRow("save, overwrite") << update << Operation::Save << QList<bool>{false} << "Mine" << "Mine" << false
                                         << conflict;
        QTest::newRow("save a deleted record") << remove << Operation::Save << QList<bool>{} << "" << "Mine" << true
                                               << QString("This record was deleted by another user; your changes are "
                                                          "kept on screen.");
        QTest::newRow("delete over a change")
            << update << Operation::Delete << QList<bool>{} << "Theirs" << "Theirs" << false
            << QString("Confirm Delete?|Changed by another user; nothing was deleted. The record is shown as it is "
                       "stored now.");
        QTest::newRow("show a deleted record") << remove << Operation::First << QList<bool>{} << "" << "Original" << false
                                               << deleted;
    }
    void workOverAnotherDesksChange()
    {
        QFETCH(QString, otherDesk);
        QFETCH(Operation, operation);
        QFETCH(QList<bool>, answers);
        EngineFixture f;
        f.addType("Original");
        f.open("KKCustType");
        if (operation == Operation::Save) {
            f.run(Operation::Modify);
            f.set(2, "Mine");
        }
        f.folder.exec(otherDesk);
        f.messages.clear();
        f.messages.answers = answers;
        f.run(operation);
        QTEST(f.messages.shown.join('|'), "message");
        QTEST(f.folder.scalar("Select CCategory From kmCustType"), "stored");
        QTEST(f.text(2), "shown");
        QTEST(f.editing(), "editing");
    }

    void reportExitAndEsc()
    {
        EngineFixture f;
        f.addType("A");
        f.open("KKCustType");
        f.run(Operation::Report);
        QCOMPARE(f.messages.shown.last(), QString("No Report!"));
        // Exit in Edit asks first; No keeps the screen.
        f.run(Operation::Modify);
        f.messages.answers = {false};
        f.run(Operation::Exit);
        QCOMPARE(f.messages.shown.last(), QString("Cancel Edits?"));
        QVERIFY(state().ActiveForm);
        // Esc closes at once without asking; nothing pending is stored.
        f.run(Operation::Add);
        f.set(2, "Pending");
        f.messages.clear();
        QTest::keyClick(f.screen()->field(2), Qt::Key_Escape);
        QCoreApplication::processEvents();
        QVERIFY(!state().ActiveForm);
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(f.folder.count("kmCustType"), 1);
        QVERIFY(!state().ListRecordset.isOpen());
    }
};

QTEST_MAIN(OperationsTest)
#include "tst_operations.moc"
