#include "UtilityFixture.h"

#include "engine/KKAccess.h"
#include "platform/Connection.h"
#include "platform/RowCursor.h"
#include "utilities/KKExport.h"
#include "utilities/KKFindRepl.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

// The export and find-and-replace screens, and the table browser they share with import.
class ExportTest : public QObject {
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
    void writesTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("fixed width") << "list.Txt"
                                     << QByteArray("EId;CFirst              ;CCity               ;\r\n"
                                                   "1  ;Ann                 ;Pune; Camp          ;\r\n"
                                                   "2  ;Zoë                 ;Lyon                ;\r\n");
        QTest::newRow("csv") << "list.csv"
                             << QByteArray("EId,CFirst,CCity\r\n1,Ann,Pune; Camp\r\n2,Zoë,Lyon\r\n");
    }
    void writesTheFile()
    {
        QFETCH(QString, name);
        UtilityFixture f;
        f.addCustomers({"Ann|Pune; Camp|India|1", "Zoë|Lyon|France|2"});
        KKExport screen;
        UtilityFixture::select(screen.browser(), {"CFirst", "CCity"});
        screen.browser().ListRecords();
        QCOMPARE(screen.browser().listingStatement(), QString("Select EId, CFirst, CCity From ktCustomer Where 1=1"));
        screen.fileBox()->setText(f.folder.file("Docs/" + name));
        screen.exportRecords();
        QCOMPARE(f.messages.shown, QStringList({"Total Records: 2", "Confirm Export?", "Done!"}));
        QTEST(fileContents(f.folder.file("Docs/" + name)), "content");
        QCOMPARE(screen.progressLabel()->text(), QString("2.."));
        QCOMPARE(screen.result(), int(QDialog::Accepted));
    }

    void listingByCriterion_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("sql");      // empty: nothing listed
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("count");
        QTest::newRow("blank value lists all") << "CFirst" << "Like" << "  " << "Select EId From ktCustomer Where 1=1"
                                               << QStringList{"Total Records: 3"} << "3";
        QTest::newRow("Like on text") << "CFirst" << "Like" << "an" << "Select EId From ktCustomer Where CFirst Like 'an%' "
                                      << QStringList{"Total Records: 2"} << "2";
        QTest::newRow("date") << "EDate" << "=" << "5/1/2024" << "Select EId From ktCustomer Where EDate = #05/01/2024#"
                              << QStringList{"Total Records: 3"} << "3";
        QTest::newRow("not a number") << "CType" << "=" << "two" << "" << QStringList{"Invalid Criteria!"} << ".";
        QTest::newRow("apostrophe fails and is logged") << "CFirst" << "=" << "O'Hara"
                                                        << "" << QStringList{"Error!"} << ".";
    }
    void listingByCriterion()
    {
        QFETCH(QString, column);
        QFETCH(QString, op);
        QFETCH(QString, value);
        QFETCH(QStringList, shown);
        QFETCH(QString, count);
        UtilityFixture f;
        f.addCustomers({"Ann|Pune|India|1", "Andrew|Lyon|France|2", "Bob|Pune|India|3"});
        KKExport screen;
        UtilityFixture::criterion(screen.browser(), column, op, value);
        screen.browser().ListRecords();
        QTEST(screen.browser().listingStatement(), "sql");
        QCOMPARE(f.messages.shown, shown);
        QCOMPARE(screen.browser().countLabel()->text(), count);
        QCOMPARE(f.errorListing().contains("O'Hara"), shown == QStringList{"Error!"});
        // With no column chosen the key alone is listed.
        if (count != ".")
            QCOMPARE(screen.browser().grid()->columnCount(), 1);
    }

    // A listing of more records than the grid shows is partial. Closing the screen during an
    // export stops it after the row in hand and leaves the file that was there (a second start
    // meanwhile is ignored); run to its end, the file holds every record, EId as wide as its
    // longest value.
    void largeListingStoppedOrExportedWhole()
    {
        UtilityFixture f;
        f.addCustomers(QStringList(3000, "First|City|Land|1"));
        KKExport screen;
        screen.browser().ListRecords();
        QCOMPARE(f.messages.shown, QStringList{"Total Records: 3000"});
        QCOMPARE(screen.browser().countLabel()->text(), QString(">1000"));
        QCOMPARE(screen.browser().grid()->toolTip(), QString("Partial Record List"));
        QCOMPARE(screen.browser().grid()->rowCount(), 1001);

        const QString path = f.folder.file("Docs/run.Txt");
        QVERIFY(writeFile(path, "earlier"));
        screen.fileBox()->setText(path);
        bool frameEnabled = true;
        QTimer::singleShot(0, &screen, [&] {
            frameEnabled = screen.findChild<QWidget*>("frmMain")->isEnabled();
            screen.exportRecords();
            screen.reject();
        });
        screen.exportRecords();
        QVERIFY(!frameEnabled);
        QCOMPARE(f.messages.shown, QStringList({"Total Records: 3000", "Confirm Export?", "Stopped! No File Written."}));
        QCOMPARE(fileContents(path), QByteArray("earlier"));
        QVERIFY(screen.progressLabel()->text().chopped(2).toInt() < 3000);
        QVERIFY(screen.findChild<QWidget*>("frmMain")->isEnabled());
        QVERIFY(screen.result() != QDialog::Accepted);

        screen.exportRecords();
        const QList<QByteArray> lines = fileContents(path).split('\n');
        QCOMPARE(lines.size(), 3002); // header, 3000 records, nothing after the last CR LF
        QCOMPARE(lines.at(0), QByteArray("EId ;\r"));
        QCOMPARE(lines.at(3000), QByteArray("3000;\r"));
        QCOMPARE(screen.progressLabel()->text(), QString("3000.."));

        // Not running, the screen closes.
        screen.reject();
        QCOMPARE(screen.result(), int(QDialog::Rejected));
    }

    void widthsOfNumbersDatesAndMemos()
    {
        UtilityFixture f;
        const QString longText(300, 'm');
        f.folder.exec("INSERT INTO ktNews (EDate, NType, NReference, NSubject, NMessage, NRemarks) VALUES "
                      "('2024-12-31', 123456, 'R', 'S', '" + longText + "', 'x')");
        const auto rows = state().connection->backend().openCursor("Select EId, EDate, NType, NReference, NMessage From ktNews");
        QCOMPARE(KKExport::columnWidths(*rows), QVector<int>({3, 10, 6, 50, KKExport::kMemoWidth}));
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("customers");
        QTest::addColumn<bool>("list");
        QTest::addColumn<QString>("file"); // "?" : the file dialog is cancelled
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("empty table") << false << true << "x.Txt" << true
                                     << QStringList{"No Records!", "No Records!", "List Records!"};
        QTest::newRow("export before listing") << true << false << "x.Txt" << true << QStringList{"List Records!"};
        QTest::newRow("cancelled file dialog") << true << true << "?" << true
                                               << QStringList{"Total Records: 1", "Select File!"};
        QTest::newRow("not confirmed") << true << true << "x.Txt" << false
                                       << QStringList{"Total Records: 1", "Confirm Export?"};
    }
    void refusals()
    {
        QFETCH(bool, customers);
        QFETCH(bool, list);
        QFETCH(QString, file);
        QFETCH(bool, confirm);
        UtilityFixture f;
        if (customers)
            f.addCustomers({"Ann|Pune|India|1"});
        f.messages.answers = {confirm};
        KKExport screen;
        if (list)
            screen.browser().ListRecords();
        if (file == "?") {
            screen.fileBox()->setText("earlier.Txt");
            bool cancelled = false;
            onNextModal([&](QWidget* w) {
                cancelled = qobject_cast<QFileDialog*>(w) != nullptr;
                static_cast<QDialog*>(w)->reject();
            });
            screen.chooseFile();
            QVERIFY(cancelled);
            QCOMPARE(screen.fileBox()->text(), QString());
        } else {
            screen.fileBox()->setText(f.folder.file("Docs/" + file));
        }
        screen.exportRecords();
        QTEST(f.messages.shown, "shown");
        QVERIFY(!QFile::exists(f.folder.file("Docs/x.Txt")));
        QVERIFY(screen.result() != QDialog::Accepted);
    }

    // Find and replace: Replace writes the whole value into the chosen column of every record found, once the
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
        QTest::newRow("text for a date") << "CCity|=|" << "EDate" << "soon" << true << "-" << refused("Invalid Text!")
                                         << QStringList(3, "05/01/2024") << "";
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

QTEST_MAIN(ExportTest)
#include "tst_export.moc"
