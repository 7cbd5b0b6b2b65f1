#include "UtilityFixture.h"

#include "engine/KKAccess.h"
#include "utilities/KKFindRepl.h"

#include <QApplication>
#include <QTimer>

// Find and replace over the customers.
class FindReplaceTest : public QObject {
    Q_OBJECT

    // Answers the access-code prompt with `code` while it lives; `asked` tells whether it
    // appeared. Its timer stops with it, so no answer is left over for the next case.
    struct AccessAnswer {
        explicit AccessAnswer(const QString& code)
        {
            timer.setInterval(10);
            QObject::connect(&timer, &QTimer::timeout, [this, code] {
                if (auto* prompt = qobject_cast<KKAccess*>(QApplication::activeModalWidget())) {
                    timer.stop();
                    asked = true;
                    prompt->codeBox()->setText(code);
                    prompt->submit();
                }
            });
            timer.start();
        }
        QTimer timer;
        bool asked = false;
    };

    static void prepare(UtilityFixture& f)
    {
        f.folder.exec("ALTER TABLE ktCustomer ADD COLUMN CRating DOUBLE");
        for (const int type : {1, 2, 3, 1000})
            f.folder.exec(QString("INSERT INTO kmCustType (EId, EDate, CCategory) VALUES (%1, '2024-01-01', 'T%1')").arg(type));
        f.addCustomers({"Ann|Pune|India|1", "Bob|Lyon|France|2", "Cleo|Delhi|india|3"});
    }

private slots:
    // Replace writes the whole value into the chosen column of every record found, once the
    // access code is given; each refusal leaves the column as it was.
    void replace_data()
    {
        QTest::addColumn<QString>("criterion"); // "column|op|value"
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("code"); // the access code typed; "-": no prompt expected
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("after"); // the column's values afterwards
        QTest::addColumn<QString>("firstInGrid"); // once replaced; empty: nothing replaced
        const QStringList cities{"Pune", "Lyon", "Delhi"}, types{"1", "2", "3"};
        const auto replaced = [](int found) {
            return QStringList{QString("Total Records: %1").arg(found), "Confirm Replace?", "Record(s) Replaced!"};
        };
        QTest::newRow("city of one country") << "CCountry|=|India" << "CCity" << "Kochi" << true << "Secret"
                                             << replaced(2) << QStringList{"Kochi", "Lyon", "Kochi"} << "Kochi";
        QTest::newRow("empty criterion changes all") << "CCountry|=|" << "CCity" << "Rome" << true << "Secret"
                                                     << replaced(3) << QStringList{"Rome", "Rome", "Rome"} << "Rome";
        QTest::newRow("decimal comma in a number column") << "CFirst|Like|B" << "CRating" << "12,5" << true << "Secret"
                                                          << replaced(1) << QStringList{"", "12.5", ""} << "12.50";
        QTest::newRow("date column") << "CType|>|1" << "EDate" << "6/7/2025" << true << "Secret" << replaced(2)
                                     << QStringList{"05/01/2024", "06/07/2025", "06/07/2025"} << "06/07/2025";
        QTest::newRow("the program's own date") << "CType|>|1" << "EDate" << "12/31/2024" << true << "Secret" << replaced(2)
                                                << QStringList{"05/01/2024", "12/31/2024", "12/31/2024"} << "12/31/2024";
        QTest::newRow("existing type id") << "CCountry|=|France" << "CType" << "1000" << true << "Secret"
                                          << replaced(1) << QStringList{"1", "1000", "3"} << "1000";
        QTest::newRow("text column cut to its size") << "CType|=|2" << "CZipCode" << QString(40, '7') << true << "Secret"
                                                     << replaced(1) << QStringList{"", QString(10, '7'), ""}
                                                     << QString(10, '7');
        QTest::newRow("nothing found") << "CCity|=|Oslo" << "CCity" << "X" << true << "-"
                                       << QStringList{"Total Records: 0", "No Records!"} << cities << "";
        const auto refused = [](const char* text) { return QStringList{"Total Records: 3", text}; };
        QTest::newRow("key column") << "CCity|=|" << "EId" << "7" << true << "-" << refused("Invalid Field!") << types << "";
        QTest::newRow("blank value") << "CCity|=|" << "CCity" << "   " << true << "-" << refused("No Text!") << cities << "";
        QTest::newRow("text for a number") << "CCity|=|" << "CType" << "abc" << true << "-" << refused("Invalid Text!") << types << "";
        QTest::newRow("text for a date") << "CCity|=|" << "EDate" << "soon" << true << "-" << refused("Invalid Text!")
                                         << QStringList(3, "05/01/2024") << "";
        QTest::newRow("exponent for a type id") << "CCity|=|" << "CType" << "1e3" << true << "-" << refused("Invalid Text!") << types << "";
        QTest::newRow("type id that does not exist") << "CCity|=|" << "CType" << "4" << true << "-" << refused("Invalid Text!") << types << "";
        QTest::newRow("fraction for a whole number") << "CCity|=|" << "CType" << "2.5" << true << "-" << refused("Invalid Text!") << types << "";
        QTest::newRow("not confirmed") << "CCity|=|" << "CCity" << "X" << false << "-" << refused("Confirm Replace?") << cities << "";
        QTest::newRow("wrong code") << "CCity|=|" << "CCity" << "X" << true << "secret" << refused("Confirm Replace?") << cities << "";
        QTest::newRow("empty code") << "CCity|=|" << "CCity" << "X" << true << "" << refused("Confirm Replace?") << cities << "";
    }
    void replace()
    {
        QFETCH(QString, criterion);
        QFETCH(QString, column);
        QFETCH(QString, value);
        QFETCH(bool, confirm);
        QFETCH(QString, code);
        QFETCH(QString, firstInGrid);
        UtilityFixture f;
        prepare(f);
        f.messages.answers = {confirm};
        KKFindRepl screen;
        screen.replaceRecords();
        QCOMPARE(f.messages.shown, QStringList{"Find Records!"});
        f.messages.clear();
        const QStringList c = criterion.split('|');
        UtilityFixture::criterion(screen.browser(), c[0], c[1], c[2]);
        screen.browser().ListRecords();
        screen.browser().fieldBox()->setCurrentText(column);
        screen.valueBox()->setText(value);
        AccessAnswer answer(code);
        screen.replaceRecords();
        QCOMPARE(answer.asked, code != "-");
        QTEST(f.messages.shown, "shown");
        QTEST(f.column(column), "after");
        if (firstInGrid.isEmpty())
            return;
        // The grid shows the new values; a further replace needs a new find.
        const int at = screen.browser().fieldBox()->currentData().toInt();
        QCOMPARE(screen.browser().grid()->cellText(1, at), firstInGrid);
        screen.replaceRecords();
        QCOMPARE(f.messages.shown.last(), QString("Find Records!"));
    }

    void eachOpeningAsksForTheModifyPassword()
    {
        UtilityFixture f;
        prepare(f);
        for (int i = 0; i < 2; ++i) {
            KKFindRepl screen;
            QCOMPARE(screen.browser().fieldBox()->itemText(0), QString("EId"));
            screen.browser().fieldBox()->setCurrentText("CCity");
            QCOMPARE(screen.valueBox()->maxLength(), 20);
            bool shown = false;
            onNextModal([&](QWidget* w) {
                shown = w == &screen;
                screen.reject();
            });
            screen.exec();
            QVERIFY(shown);
        }
        QCOMPARE(f.messages.shown, QStringList({"Modify-Password Required!", "Modify-Password Required!"}));
    }
};

QTEST_MAIN(FindReplaceTest)
#include "tst_findreplace.moc"
