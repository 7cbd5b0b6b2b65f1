#include "SheetFiles.h"
#include "UtilityFixture.h"

#include "base/ArchiveNames.h"
#include "utilities/KKImport.h"

#include <QTimer>

using SheetFiles::Rows;

// Customers imported from the worksheet "Sheet1" of a workbook.
class ImportTest : public QObject {
    Q_OBJECT

    // The rows as a workbook of that kind ("xlsx", "ods" or "csv") in the DataFolder's Docs
    // (legacy .xls and workbooks of other programs are read in tst_worksheet).
    static QString writeBook(const UtilityFixture& f, const QString& kind, const Rows& rows)
    {
        const QString path = f.folder.file("Docs/book." + kind);
        bool ok = false;
        if (kind == "xlsx")
            ok = SheetFiles::writeXlsx(path, {{"Notes", {{"not this one"}}}, {"Sheet1", rows}});
        else if (kind == "ods")
            ok = SheetFiles::writeOds(path, {{"Sheet1", rows}});
        else {
            QByteArray text;
            for (const auto& row : rows) {
                QStringList cells;
                for (const QVariant& v : row)
                    cells << v.toString();
                text += cells.join(',').toUtf8() + "\r\n";
            }
            ok = writeFile(path, text);
        }
        if (!ok)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static void list(KKImport& screen, const QString& path)
    {
        screen.fileBox()->setText(path);
        screen.listWorksheet();
    }

    static QStringList entries(const QListWidget* list)
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }

private slots:
    void importsEveryRowWithDefaults_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("xlsx") << "xlsx";
        QTest::newRow("ods") << "ods";
        QTest::newRow("csv") << "csv";
    }
    void importsEveryRowWithDefaults()
    {
        QFETCH(QString, kind);
        UtilityFixture f;
        state().clock.setFixed(QDateTime(QDate(2026, 12, 5), QTime(10, 0)));
        const QString yesterday = ArchiveNames::archivePath(QDate(2026, 12, 4));
        const QString today = ArchiveNames::archivePath(QDate(2026, 12, 5));
        QVERIFY(writeFile(yesterday, "copy") && writeFile(today, "copy"));
        for (const int type : {2, 1000})
            f.folder.exec(QString("INSERT INTO kmCustType (EId, EDate, CCategory) VALUES (%1, '2024-01-01', 'T%1')").arg(type));
        f.folder.exec("CREATE TRIGGER NoEd BEFORE INSERT ON ktCustomer WHEN NEW.CFirst = 'Ed' "
                      "BEGIN SELECT RAISE(ABORT, 'no Ed here'); END");
        const QString path = writeBook(f, kind,
                                       {{" cfirst ", "CLAST", "EId", "CCity ", "CType"},
                                        {"Ann", "Lee", 99.0, "Pune", 2.0},
                                        {"Bob", QVariant(), 98.0, "   ", "abc"},
                                        {"Cy", "Ng", 97.0, "Goa", "1e3"},
                                        {"Ed", "Ek", 95.0, "Ooty", 2.0},
                                        {"Di", "Ito", 96.0, "Agra", 5.0}});

        KKImport screen;
        list(screen, path);
        QCOMPARE(entries(screen.browser().fieldList()), QStringList({"cfirst", "CLAST", "EId", "CCity", "CType"}));
        QCOMPARE(screen.browser().countLabel()->text(), QString("5"));
        screen.browser().SelectAllFields();
        screen.importRecords();

        // A type id is a whole number of digits ("1e3" too is refused, though type 1000 exists)
        // and names a customer type that exists. A row the database refuses is noted and logged;
        // the rows before and after it are stored, each in its own transaction.
        QStringList shown = f.messages.shown;
        shown[2].remove(QRegularExpression(" in statement: [^\r]*")); // the database's words name the statement
        QCOMPARE(shown,
                 QStringList({"Total Records: 5", "Confirm Import?",
                              "Values Refused (Column Left At Default):\r\n\r\nRow 3, CType: abc\r\nRow 4, CType: 1e3\r\n"
                              "Row 5: no Ed here\r\nRow 6, CType: 5",
                              "Done!", "DB Refresh Required!\r\nShutting Down..."}));
        QVERIFY(f.errorListing().contains("Worksheet row 3: Data type conversion error: \"abc\"")); // refused by the number column
        QVERIFY(f.errorListing().contains("Worksheet row 5: no Ed here"));
        QVERIFY(!state().connection->backend().inTransaction());
        QCOMPARE(f.folder.rows("Select EId, CFirst, CLast, CCity, CType, EDate, CTitle From ktCustomer Order By EId"),
                 QStringList({"1|Ann|Lee|Pune|2|12/05/2026|-", "2|Bob|-|-|0|12/05/2026|-", "3|Cy|Ng|Goa|0|12/05/2026|-",
                              "4|Di|Ito|Agra|0|12/05/2026|-"}));
        QCOMPARE(screen.progressLabel()->text(), QString("5.."));
        QVERIFY(!QFile::exists(yesterday));
        QVERIFY(QFile::exists(today));
        QVERIFY(screen.endsProgram());

        // The same sheet again adds every row again.
        KKImport again;
        list(again, path);
        again.browser().SelectAllFields();
        again.importRecords();
        QCOMPARE(f.column("CFirst"), QStringList({"Ann", "Bob", "Cy", "Di", "Ann", "Bob", "Cy", "Di"}));
    }

    void cellsKeepTheirTypes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("xlsx") << "xlsx";
        QTest::newRow("ods") << "ods";
    }
    void cellsKeepTheirTypes()
    {
        QFETCH(QString, kind);
        UtilityFixture f;
        for (const int type : {7, 65536})
            f.folder.exec(QString("INSERT INTO kmCustType (EId, EDate, CCategory) VALUES (%1, '2024-01-01', 'T%1')").arg(type));
        const QString path = writeBook(f, kind,
                                       {{"CFirst", "EDate", "CType", "CZipCode", "CRemarks"},
                                        {"Zoë", QDate(2023, 12, 31), 7.0, 41012.0, "007"},
                                        {"Ann", QDate(1999, 2, 28), 65536.0, "E1 6AN", 1.25}});
        KKImport screen;
        list(screen, path);
        // The preview shows each cell by its kind: dates as dates, whole numbers without a point.
        QStringList shown;
        for (int c = 0; c < 5; ++c)
            shown << screen.browser().grid()->item(0, c)->text();
        QCOMPARE(shown, QStringList({"Zoë", "12/31/2023", "7", "41012", "007"}));
        screen.browser().SelectAllFields();
        screen.importRecords();
        QCOMPARE(f.errorListing(), QString());
        QCOMPARE(f.messages.shown.mid(0, 3), QStringList({"Total Records: 2", "Confirm Import?", "Done!"}));
        QCOMPARE(f.folder.rows("Select CFirst, EDate, CType, CZipCode, CRemarks From ktCustomer Order By EId"),
                 QStringList({"Zoë|12/31/2023|7|41012|007", "Ann|02/28/1999|65536|E1 6AN|1.25"}));
    }

    // A worksheet of more rows than the grid shows is listed in part and imported whole;
    // closing the screen while it is read stops the reading and lists nothing. Closed during an
    // import, the rows already imported stay, each committed on its own, and the program still
    // ends as after a whole import.
    void bigWorksheetListedInPartImportedWhole()
    {
        UtilityFixture f;
        Rows rows{{"CFirst", "CRemarks"}};
        for (int i = 0; i < 2000; ++i)
            rows.push_back({QString("First%1").arg(i), QString("%1 ").arg(i) + QString(40, 'r')});
        const QString path = writeBook(f, "xlsx", rows); // its strings are far more than one piece of the zip
        KKImport stopped;
        QTimer::singleShot(0, &stopped, [&] { stopped.reject(); });
        list(stopped, path);
        QCOMPARE(f.messages.shown, QStringList());
        QCOMPARE(stopped.browser().fieldList()->count(), 0);

        KKImport screen;
        list(screen, path);
        QCOMPARE(f.messages.shown, QStringList{"Total Records: 2000"});
        QCOMPARE(screen.browser().countLabel()->text(), QString(">1000"));
        screen.browser().SelectAllFields();
        QTimer::singleShot(0, &screen, [&] { screen.reject(); });
        screen.importRecords();
        const int done = f.folder.count("ktCustomer");
        QVERIFY(done > 0 && done < 2000);
        QCOMPARE(f.messages.shown.mid(1), QStringList({"Confirm Import?", QString("Stopped! %1 Records Imported.").arg(done),
                                                       "DB Refresh Required!\r\nShutting Down..."}));
        QCOMPARE(f.column("CFirst").last(), QString("First%1").arg(done - 1));
        QVERIFY(screen.endsProgram());

        KKImport whole;
        list(whole, path);
        whole.browser().SelectAllFields();
        whole.importRecords();
        QCOMPARE(f.folder.count("ktCustomer"), done + 2000);
        QCOMPARE(f.column("CFirst").last(), QString("First1999"));
        QCOMPARE(f.column("CRemarks").last(), QString("1999 ") + QString(40, 'r'));
    }

    void filterNarrowsTheRows()
    {
        UtilityFixture f;
        const QString path = writeBook(f, "xlsx", {{"CFirst", "CType", "OldPasscd"}, {"Ann", 1.0, "a"}, {"Bob", 2.0, "b"},
                                                   {"Cleo", 3.0, "c"}});
        KKImport screen;
        list(screen, path);
        // A password column is neither offered nor shown.
        QCOMPARE(entries(screen.browser().fieldList()), QStringList({"CFirst", "CType"}));
        QVERIFY(screen.browser().grid()->isColumnHidden(2));
        UtilityFixture::criterion(screen.browser(), "CType", ">", "1,5");
        screen.browser().ListRecords();
        QVERIFY(screen.browser().grid()->isColumnHidden(2));
        QCOMPARE(screen.browser().listingStatement(), QString("Select * From [Sheet1$] Where CType > 1.5"));
        QCOMPARE(screen.browser().countLabel()->text(), QString("2"));
        UtilityFixture::select(screen.browser(), {"CFirst"});
        screen.importRecords();
        QCOMPARE(f.column("CFirst"), QStringList({"Bob", "Cleo"}));
        QCOMPARE(f.column("CType"), QStringList({"0", "0"})); // not chosen: the default

        // A filter that leaves nothing makes the next filter find nothing to filter.
        KKImport second;
        list(second, path);
        UtilityFixture::criterion(second.browser(), "CFirst", "=", "Zed");
        second.browser().ListRecords();
        f.messages.clear();
        second.browser().ListRecords();
        QCOMPARE(f.messages.shown, QStringList{"No Records!"});
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("file"); // what txtFile names
        QTest::addColumn<QString>("step"); // list, filter or import
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("no file") << "" << "list" << true << QStringList{"Select File!"};
        QTest::newRow("not a workbook") << "text.xlsx" << "list" << true << QStringList{"Invalid File!"};
        QTest::newRow("filter before listing") << "book.xlsx" << "filter" << true << QStringList{"List Records!"};
        QTest::newRow("no field chosen") << "book.xlsx" << "import" << true
                                         << QStringList{"Total Records: 1", "Select Fields!"};
        QTest::newRow("not confirmed") << "book.xlsx" << "import all" << false
                                       << QStringList{"Total Records: 1", "Confirm Import?"};
        QTest::newRow("columns the table lacks")
            << "book.csv" << "import all" << true
            << QStringList{"Total Records: 1", "Invalid Fields:\r\n\r\nNickname\r\nShoe size\r\n"};
    }
    void refusals()
    {
        QFETCH(QString, file);
        QFETCH(QString, step);
        QFETCH(bool, confirm);
        QFETCH(QStringList, shown);
        UtilityFixture f;
        writeBook(f, "xlsx", {{"CFirst"}, {"Ann"}});
        writeBook(f, "csv", {{"CFirst", "Nickname", "Shoe size"}, {"Ann", "Annie", "38"}});
        QString path = file.isEmpty() ? QString() : f.folder.file("Docs/" + file);
        if (file == "text.xlsx")
            writeFile(path, "CFirst\r\nAnn\r\n");
        f.messages.answers = {confirm};

        KKImport screen;
        screen.fileBox()->setText(path);
        if (step != "filter")
            screen.listWorksheet();
        if (step == "filter")
            screen.browser().ListRecords();
        if (step == "import all")
            screen.browser().SelectAllFields();
        if (step.startsWith("import"))
            screen.importRecords();
        QCOMPARE(f.messages.shown, shown);
        QCOMPARE(f.errorListing(), QString()); // an unreadable file is not logged
        QCOMPARE(f.folder.count("ktCustomer"), 0);
        QCOMPARE(screen.browser().fieldList()->count() > 0, shown.first().startsWith("Total"));
        QVERIFY(!screen.endsProgram());
    }
};

QTEST_MAIN(ImportTest)
#include "tst_import.moc"
