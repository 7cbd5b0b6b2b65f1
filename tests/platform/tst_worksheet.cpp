#include "utilities/SheetFiles.h"

#include "platform/AppError.h"
#include "platform/ExportFile.h"
#include "platform/Recordset.h"
#include "platform/WorksheetCells.h"
#include "platform/WorksheetDatabase.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using SheetFiles::Rows;
using SheetFiles::Sheet;

// Workbooks read into the in-memory table Sheet1$, and the files the export writes.
class WorksheetTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    static Rows customers()
    {
        return {{" cFirst ", "CTYPE", "EDate", "Note", QVariant()},
                {"Ann", 3.0, QDate(2024, 5, 1), "x;y", QVariant()},
                {QVariant(), 12.5, QDate(2023, 12, 31), "   ", QVariant()},
                {"Zoë", QVariant(), QVariant(), 7.0, QVariant()}};
    }

    QString write(const QString& kind, const QVector<Sheet>& sheets)
    {
        const QString path = dir.filePath("book-" + QString::number(++files) + "." + kind);
        bool ok = false;
        if (kind == "xlsx")
            ok = SheetFiles::writeXlsx(path, sheets);
        else if (kind == "ods")
            ok = SheetFiles::writeOds(path, sheets);
        else
            ok = SheetFiles::writeText(path, "\xEF\xBB\xBF cFirst ,CTYPE,EDate,Note\r\n"
                                             "Ann,3,2024-05-01,\"x;y\"\r\n"
                                             ",12.5,2023-12-31,   \r\n"
                                             "Zoë,,,7\r\n");
        if (!ok)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    int files = 0;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void readsSheetOneWithTypedColumns_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("xlsx, Sheet1 second") << "xlsx";
        QTest::newRow("ods, Sheet1 second") << "ods";
        QTest::newRow("csv with a byte-order mark") << "csv";
    }
    void readsSheetOneWithTypedColumns()
    {
        QFETCH(QString, kind);
        const QString path = write(kind, {{"Other", {{"Wrong"}, {"sheet"}}}, {"Sheet1", customers()}});
        WorksheetDatabase sheet;
        sheet.load(path);
        QCOMPARE(sheet.columnNames(), QStringList({"cFirst", "CTYPE", "EDate", "Note"}));

        Recordset r;
        r.open("Select * From [Sheet1$]", sheet.connection(), CursorType::Static, LockType::Optimistic);
        QCOMPARE(r.recordCount(), 3);
        QCOMPARE(r.field(0).type(), int(FieldType::VarChar));
        QCOMPARE(r.field(1).type(), FieldType::Double);
        QCOMPARE(r.field(2).type(), FieldType::Date);
        QCOMPARE(r.field(3).type(), int(FieldType::VarChar)); // texts and a number
        QStringList rows;
        for (; !r.eof(); r.moveNext())
            rows << QStringList{r.field(0).text(), r.field(1).text(), r.field(2).text(), r.field(3).text()}.join('|');
        QCOMPARE(rows, QStringList({"Ann|3|05/01/2024|x;y", "|12.5|12/31/2023|   ", "Zoë|||7"}));
        r.close();

        // Criteria of every kind run on the sheet as on a table.
        r.open("Select * From [Sheet1$] Where EDate > #01/01/2024# ", sheet.connection());
        QCOMPARE(r.recordCount(), 1);
        r.close();
        r.open("Select * From [Sheet1$] Where cfirst Like 'zo%' ", sheet.connection());
        QCOMPARE(r.recordCount(), 1);
        r.close();
        r.open("Select * From [Sheet1$] Where CTYPE >= 3", sheet.connection());
        QCOMPARE(r.recordCount(), 2);
    }

    void refusesWhatIsNotAWorkbook_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("text named .xlsx") << "text.xlsx";
        QTest::newRow("truncated xlsx") << "truncated.xlsx";
        QTest::newRow("xlsx without Sheet1") << "nosheet.xlsx";
        QTest::newRow("ods without Sheet1") << "nosheet.ods";
        QTest::newRow("text named .xls") << "text.xls";
        QTest::newRow("missing file") << "missing.xlsx";
    }
    void refusesWhatIsNotAWorkbook()
    {
        QFETCH(QString, kind);
        QString path = dir.filePath(kind);
        if (kind.startsWith("text"))
            SheetFiles::writeText(path, "EId,CFirst\n1,Ann\n");
        else if (kind == "truncated.xlsx") {
            QFile whole(write("xlsx", {{"Sheet1", customers()}}));
            QVERIFY(whole.open(QIODevice::ReadOnly));
            SheetFiles::writeText(path, whole.read(whole.size() * 2 / 3));
        } else if (kind == "nosheet.xlsx")
            path = write("xlsx", {{"Customers", customers()}});
        else if (kind == "nosheet.ods")
            path = write("ods", {{"Customers", customers()}});

        WorksheetDatabase sheet;
        try {
            sheet.load(path);
            QFAIL("the file was read");
        } catch (const AppError& e) {
            QCOMPARE(e.number(), WorkbookErrors::InvalidFile);
        }
        QVERIFY(!sheet.isLoaded());
    }

    void fixedWidthFile()
    {
        const QString path = dir.filePath("export.Txt");
        ExportFile file;
        file.open(path, ExportFile::formatFor(path), {3, 20, 20});
        file.writeRecord({"EId", "CFirst", "CCity"});
        file.writeRecord({"12345", "  Zoë; Ann  ", "A city whose name is far too long"});
        file.close();
        QFile back(path);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), QByteArray("EId;CFirst              ;CCity               ;\r\n"
                                           "123;Zoë; Ann            ;A city whose name is;\r\n"));
    }

    // Fields are trimmed of what QString counts as blanks and cut by characters, not bytes.
    void fieldsTrimmedCutAndPadded_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("fixed"); // in a column 4 wide
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("blanks and control blanks") << "\t ab\r\v" << QByteArray("ab  ;") << QByteArray("\"\t ab\r\v\"");
        QTest::newRow("no-break space around") << "\u00a0Zoë\u00a0" << QByteArray("Zoë ;") << QByteArray("\"\u00a0Zoë\u00a0\"");
        QTest::newRow("cut between accented letters") << "éèêëē" << QByteArray("éèêë;") << QByteArray("éèêëē");
        QTest::newRow("cut ascii") << "abcdef" << QByteArray("abcd;") << QByteArray("abcdef");
        QTest::newRow("quote inside") << "a\"b" << QByteArray("a\"b ;") << QByteArray("\"a\"\"b\"");
        QTest::newRow("empty") << "" << QByteArray("    ;") << QByteArray("");
    }
    void fieldsTrimmedCutAndPadded()
    {
        QFETCH(QString, field);
        QFETCH(QByteArray, fixed);
        QFETCH(QByteArray, csv);
        const QByteArray utf8 = field.toUtf8();
        for (const auto& [name, expected] : {std::pair{QString("f.Txt"), fixed + "\r\n"}, std::pair{QString("f.csv"), csv + "\r\n"}}) {
            const QString path = dir.filePath(name);
            ExportFile file;
            file.open(path, ExportFile::formatFor(path), {4});
            file.writeFields({QByteArrayView(utf8)});
            file.close();
            QFile back(path);
            QVERIFY(back.open(QIODevice::ReadOnly));
            QCOMPARE(back.readAll(), expected);
        }
        QCOMPARE(ExportFile::textWidth(utf8), int(field.trimmed().size()));
    }

    void csvFileReadBackBySpreadsheetParser()
    {
        const QString path = dir.filePath("export.CSV");
        QCOMPARE(ExportFile::formatFor(path), ExportFile::Format::Csv);
        const QStringList header{"EId", "CFirst", "CRemarks"};
        const QStringList tricky{"a,b", "say \"hi\"", " padded ", "two\r\nlines", "Zoë;x", ""};
        ExportFile file;
        file.open(path, ExportFile::Format::Csv);
        file.writeRecord(header);
        for (int i = 0; i + 2 < tricky.size(); i += 3)
            file.writeRecord({tricky[i], tricky[i + 1], tricky[i + 2]});
        file.close();

        const auto cells = WorksheetCells::read(path, "Sheet1");
        QCOMPARE(cells->rowCount(), 3);
        QStringList read;
        for (int r = 1; r < cells->rowCount(); ++r)
            for (int c = 0; c < 3; ++c)
                read << cells->cell(r, c).toString();
        QCOMPARE(read, tricky);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(cells->cell(0, c).toString(), header[c]);
    }
};

QTEST_MAIN(WorksheetTest)
#include "tst_worksheet.moc"
