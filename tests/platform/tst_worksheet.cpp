#include "PlatformFixture.h"
#include "utilities/SheetFiles.h"

#include "platform/ExportFile.h"
#include "platform/WorksheetDatabase.h"
#include "platform/WorksheetRows.h"

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
        if (!(kind == "xlsx" ? SheetFiles::writeXlsx(path, sheets) : SheetFiles::writeOds(path, sheets)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    int files = 0;
    QMap<QString, QString> foreign; // workbooks written by other programs, by writer

    static QStringList listed(WorksheetDatabase& sheet) { return rows(sheet.connection(), "Select * From [Sheet1$]"); }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString source = dir.filePath("foreign.fods");
        QVERIFY(SheetFiles::writeFlatOds(source));
        for (const char* format : {"xlsx", "ods", "xls"})
            foreign.insert(QString("LibreOffice ") + format, SheetFiles::convertWithOffice(source, format, dir.filePath("office")));
        const QString openpyxl = dir.filePath("openpyxl.xlsx");
        QVERIFY(SheetFiles::writeWithOpenpyxl(openpyxl));
        foreign.insert("openpyxl xlsx", openpyxl);
        foreign.insert("Windows CSV", qEnvironmentVariable("KORVINA_SOURCE_DIR") + "/tests/platform/data/customers-windows.csv");
    }

    // Every cell of a workbook another program wrote keeps its value and its column.
    void keepsEveryValueOfForeignWorkbooks_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QStringList>("rows");
        for (const char* writer : {"LibreOffice xlsx", "LibreOffice ods", "LibreOffice xls", "openpyxl xlsx"})
            QTest::newRow(writer) << writer << SheetFiles::foreignRows;
        QStringList asText = SheetFiles::foreignRows; // a CSV date is text as written
        asText[0].replace("05/01/2024", "2024-05-01");
        asText[1].replace("12/31/2024", "2024-12-31");
        QTest::newRow("Windows-1252 CSV with semicolons") << "Windows CSV" << asText;
    }
    void keepsEveryValueOfForeignWorkbooks()
    {
        QFETCH(QString, writer);
        if (foreign.value(writer).isEmpty())
            QSKIP("LibreOffice (soffice) is not installed or could not convert");
        WorksheetDatabase sheet;
        QVERIFY(sheet.load(foreign.value(writer)));
        QCOMPARE(sheet.columnNames(), QStringList({"CFirst", "CLast", "CZipCode", "CPhone", "CRemarks", "CEmail", "EDate"}));
        QTEST(listed(sheet), "rows");
    }

    // A CSV cell is the text the file holds, in the file's encoding and with its separator.
    void csvCellsAreTextAsWritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("row");
        QTest::newRow("UTF-8 mark, commas, quotes") << QByteArray("\xEF\xBB\xBF" "A,B,C\r\n01234,\"x;y\",\" 1e3 \"\r\n") << "01234|x;y| 1e3 ";
        QTest::newRow("UTF-8 without mark, semicolons") << QByteArray("A;B;C\nZo\xC3\xAB;+49;\n") << "Zoë|+49|";
        QTest::newRow("Windows-1252, semicolons") << QByteArray("A;B;C\r\nJ\xFCrgen;\x80 5;\x93q\x94\r\n") << "Jürgen|€ 5|“q”";
        QTest::newRow("quoted line break and quote") << QByteArray("A,B\r\n\"two\r\nlines\",\"say \"\"hi\"\"\"\r\n") << "two\r\nlines|say \"hi\"";
        QTest::newRow("tabs") << QByteArray("A\tB\tC\n1,5\t2;3\t007\n") << "1,5|2;3|007";
        QTest::newRow("UTF-16 with mark") << QByteArray("\xFF\xFE" "A\0,\0B\0,\0C\0\n\0\x01\x01,\0-\0,\0001\0\n\0", 26) << "ā|-|1";
    }
    void csvCellsAreTextAsWritten()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, row);
        const QString path = dir.filePath("cells.csv");
        QVERIFY(writeFile(path, bytes));
        WorksheetDatabase sheet;
        QVERIFY(sheet.load(path));
        QCOMPARE(listed(sheet), QStringList{row});
        Recordset r;
        r.open("Select * From [Sheet1$]", sheet.connection());
        for (int i = 0; i < r.fieldCount(); ++i)
            QCOMPARE(r.field(i).type(), int(FieldType::VarChar));
    }

    void readsSheetOneWithTypedColumns_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("xlsx, Sheet1 second") << "xlsx";
        QTest::newRow("ods, Sheet1 second") << "ods";
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
        QCOMPARE((QList<int>{r.field(0).type(), r.field(1).type(), r.field(2).type(), r.field(3).type()}),
                 (QList<int>{FieldType::VarChar, FieldType::Double, FieldType::Date, FieldType::VarChar})); // the last: texts and a number
        QCOMPARE(listed(sheet), QStringList({"Ann|3|05/01/2024|x;y", "|12.5|12/31/2023|   ", "Zoë|||7"}));

        // Criteria of every kind run on the sheet as on a table.
        QCOMPARE(rows(sheet.connection(), "Select cFirst From [Sheet1$] Where EDate > #01/01/2024# "), QStringList{"Ann"});
        QCOMPARE(rows(sheet.connection(), "Select cFirst From [Sheet1$] Where cfirst Like 'zo%' "), QStringList{"Zoë"});
        QCOMPARE(rows(sheet.connection(), "Select cFirst From [Sheet1$] Where CTYPE >= 3"), QStringList({"Ann", ""}));
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
        QTest::newRow("csv marked UTF-8 holding Windows bytes") << "marked.csv";
    }
    void refusesWhatIsNotAWorkbook()
    {
        QFETCH(QString, kind);
        QString path = dir.filePath(kind);
        if (kind == "marked.csv")
            writeFile(path, "\xEF\xBB\xBF" "CFirst\r\nJ\xFCrgen\r\n");
        else if (kind.startsWith("text"))
            writeFile(path, "EId,CFirst\n1,Ann\n");
        else if (kind == "truncated.xlsx") {
            const QByteArray whole = fileContents(write("xlsx", {{"Sheet1", customers()}}));
            writeFile(path, whole.left(whole.size() * 2 / 3));
        } else if (kind.startsWith("nosheet"))
            path = write(kind.section('.', 1), {{"Customers", customers()}});

        WorksheetDatabase sheet;
        QCOMPARE(errorOf([&] { sheet.load(path); }), WorkbookErrors::InvalidFile);
        QVERIFY(!sheet.isLoaded());
    }

    // A workbook's parts written by hand and zipped by Python: XML as any writer may put it is
    // read, XML that is not well formed (or declares entities) is refused.
    void xlsxPartsReadAsXml_data()
    {
        QTest::addColumn<QByteArray>("prefix"); // of every sheet element
        QTest::addColumn<QByteArray>("row");    // the second, under the columns A and B
        QTest::addColumn<QByteArray>("strings");
        QTest::addColumn<QString>("expected"); // empty: refused
        const QByteArray one = "<si><t>one</t></si>";
        QTest::newRow("runs, phonetic hint") << QByteArray() << QByteArray("<row r='2'><c r='A2' t='s'><v>0</v></c><c r='B2'><v>1e3</v></c></row>")
                                             << QByteArray("<si><r><t>Jü</t></r><r><rPr><b/></rPr><t xml:space='preserve'>rgen</t></r><rPh sb='0' eb='1'><t>ユ</t></rPh></si>")
                                             << "Jürgen|1000";
        QTest::newRow("references, CDATA, comment, CR LF")
            << QByteArray() << QByteArray("<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>a &amp; b &#x20AC;&#8364;\r\nz</t></is></c>"
                                          "<c r=\"B2\" t=\"str\"><f>A1</f><v><![CDATA[<x>]]><!-- > --></v></c></row>")
            << one << "a & b €€\nz|<x>";
        QTest::newRow("prefixed names, no row or cell references") << QByteArray("x:") << QByteArray("<x:row><x:c/><x:c t='s'><x:v>0</x:v></x:c></x:row>") << one << "|one";
        QByteArray utf16("\xFF\xFE");
        for (const QChar c : QString("<sst><si><t>zwölf</t></si></sst>"))
            utf16 += char(c.unicode() & 0xFF) + QByteArray(1, char(c.unicode() >> 8));
        QTest::newRow("UTF-16 shared strings") << QByteArray() << QByteArray("<row r='2'><c r='A2' t='s'><v>0</v></c></row>") << utf16 << "zwölf|";
        QTest::newRow("end tag of another element") << QByteArray() << QByteArray("<row r='2'><c r='A2'><v>1</c></v></row>") << one << QString();
        QTest::newRow("attribute without =") << QByteArray() << QByteArray("<row r='2'><c r='A2' t 'n'><v>1</v></c></row>") << one << QString();
        QTest::newRow("unknown reference") << QByteArray() << QByteArray("<row r='2'><c r='A2' t='str'><v>&nbsp;</v></c></row>") << one << QString();
        QTest::newRow("entities declared") << QByteArray() << QByteArray("<row r='2'><c r='A2' t='s'><v>0</v></c></row>")
                                           << "<!DOCTYPE sst [<!ENTITY a 'aaaaaaaa'>]><sst>" + one + "</sst>" << QString();
        QTest::newRow("sheet cut inside a cell") << QByteArray() << QByteArray("<row r='2'><c r='A2'><v>1") << one << QString();
        QTest::newRow("column past the last") << QByteArray() << QByteArray("<row r='2'><c r='XFE2'><v>1</v></c></row>") << one << QString();
    }
    void xlsxPartsReadAsXml()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, strings);
        QFETCH(QString, expected);
        const QByteArray relation = "<Relationship Id='%1' Type='http://schemas.openxmlformats.org/%2' Target='%3'/>";
        const QMap<QString, QByteArray> written{
            {"_rels/.rels", "<Relationships>" + QByteArray(relation).replace("%1", "r1").replace("%2", "officeDocument/2006/relationships/officeDocument").replace("%3", "xl/workbook.xml") + "</Relationships>"},
            {"xl/workbook.xml", "<workbook xmlns:r='r'><sheets><sheet name='Sheet1' sheetId='1' r:id='s1'/></sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels", "<Relationships>" + QByteArray(relation).replace("%1", "s1").replace("%2", "officeDocument/2006/relationships/worksheet").replace("%3", "worksheets/sheet1.xml")
                                               + QByteArray(relation).replace("%1", "s2").replace("%2", "officeDocument/2006/relationships/sharedStrings").replace("%3", "sharedStrings.xml") + "</Relationships>"},
            {"xl/sharedStrings.xml", strings.startsWith("<si>") ? "<?xml version='1.0'?><sst>" + strings + "</sst>" : strings},
            {"xl/worksheets/sheet1.xml", QByteArray("<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\n<%worksheet xmlns%x='main'><%sheetData>"
                                                    "<%row r='1'><%c r='A1' t='inlineStr'><%is><%t>A</%t></%is></%c><%c r='B1' t='inlineStr'><%is><%t>B</%t></%is></%c></%row>")
                                              .replace("%x", prefix.isEmpty() ? "" : ":x").replace("%", prefix)
                                          + row + (row.endsWith("</" + prefix + "row>") ? "</" + prefix + "sheetData></" + prefix + "worksheet>" : "")}};
        const QString path = dir.filePath("parts.xlsx");
        QStringList zip{"-c", "import sys, zipfile\n"
                              "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                              "    for i in range(2, len(sys.argv), 2): z.writestr(sys.argv[i], bytes.fromhex(sys.argv[i + 1]))\n",
                        path};
        for (auto f = written.begin(); f != written.end(); ++f)
            zip << f.key() << QString::fromLatin1(f.value().toHex());
        QCOMPARE(QProcess::execute("/usr/bin/python3", zip), 0);
        WorksheetDatabase sheet;
        std::optional<AppError> e;
        QVERIFY2(errorOf([&] { sheet.load(path); }, &e) == (expected.isEmpty() ? WorkbookErrors::InvalidFile : 0),
                 e ? qPrintable(e->description()) : "read");
        QVERIFY(expected.isEmpty() != sheet.isLoaded());
        if (sheet.isLoaded())
            QCOMPARE(listed(sheet), QStringList{expected});
    }

    // Fields are trimmed of what QString counts as blanks and cut by characters, not bytes.
    void fieldsTrimmedCutAndPadded_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("fixed"); // in a column 4 wide
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("width"); // characters once trimmed
        QTest::newRow("blanks and control blanks") << "\t ab\r\v" << QByteArray("ab  ;") << QByteArray("\"'\t ab\r\v\"") << 2;
        QTest::newRow("no-break space around") << "\u00a0Zoë\u00a0" << QByteArray("Zoë ;") << QByteArray("\"\u00a0Zoë\u00a0\"") << 3;
        QTest::newRow("blank at the end only") << "ab " << QByteArray("ab  ;") << QByteArray("\"ab \"") << 2;
        QTest::newRow("cut between accented letters") << "éèêëē" << QByteArray("éèêë;") << QByteArray("éèêëē") << 5;
        QTest::newRow("cut ascii") << "abcdef" << QByteArray("abcd;") << QByteArray("abcdef") << 6;
        QTest::newRow("comma inside") << "a,b" << QByteArray("a,b ;") << QByteArray("\"a,b\"") << 3;
        QTest::newRow("quote inside") << "a\"b" << QByteArray("a\"b ;") << QByteArray("\"a\"\"b\"") << 3;
        QTest::newRow("empty") << "" << QByteArray("    ;") << QByteArray("") << 0;
        QTest::newRow("emoji never cut") << "ab👍cd" << QByteArray("ab👍c;") << QByteArray("ab👍cd") << 5;
        QTest::newRow("joined emoji is one") << "👨‍👩‍👧x" << QByteArray("👨‍👩‍👧x  ;") << QByteArray("👨‍👩‍👧x") << 2;
        QTest::newRow("line breaks are blanks") << "a\r\nb\nc" << QByteArray("a b ;") << QByteArray("\"a\r\nb\nc\"") << 5;
        QTest::newRow("formula defused") << "=1+2" << QByteArray("=1+2;") << QByteArray("'=1+2") << 4;
        QTest::newRow("plus defused") << "+49 1" << QByteArray("+49 ;") << QByteArray("'+49 1") << 5;
        QTest::newRow("minus defused") << "-2" << QByteArray("-2  ;") << QByteArray("'-2") << 2;
        QTest::newRow("at defused") << "@SUM(A1)" << QByteArray("@SUM;") << QByteArray("'@SUM(A1)") << 8;
        QTest::newRow("CR first defused") << "\r=cmd" << QByteArray("=cmd;") << QByteArray("\"'\r=cmd\"") << 4;
    }
    void fieldsTrimmedCutAndPadded()
    {
        QFETCH(QString, field);
        QFETCH(QByteArray, fixed);
        QFETCH(QByteArray, csv);
        const QByteArray utf8 = field.toUtf8();
        for (const auto& [name, expected] : {std::pair{QString("f.Txt"), fixed + "\r\n"}, std::pair{QString("f.CSV"), csv + "\r\n"}}) {
            const QString path = dir.filePath(name);
            ExportFile file;
            file.open(path, ExportFile::formatFor(path), {4});
            file.writeFields({QByteArrayView(utf8)});
            file.close();
            QCOMPARE(fileContents(path), expected);
        }
        QTEST(ExportFile::textWidth(utf8), "width");
    }

    // A file that cannot be written, or is not finished, leaves what was there.
    void failedExportKeepsTheFileThatWasThere_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << "read-only";
        QTest::newRow("run not finished") << "discarded";
        QTest::newRow("device") << "device";
    }
    void failedExportKeepsTheFileThatWasThere()
    {
        QFETCH(QString, kind);
        const QString path = kind == "device" ? QString("/dev/full") : dir.filePath(kind + ".Txt");
        if (kind != "device") {
            QVERIFY(writeFile(path, "earlier"));
            if (kind == "read-only")
                QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        }
        ExportFile file;
        const int error = errorOf([&] {
            file.open(path, ExportFile::Format::FixedWidth, {5});
            file.writeRecord({"new"});
            file.discard();
        });
        QCOMPARE(error != 0, kind != "discarded");
        if (kind == "device") {
            QVERIFY(!QFileInfo(path).isFile() && QFileInfo::exists(path));
            return;
        }
        QCOMPARE(fileContents(path), QByteArray("earlier"));
        QCOMPARE(QDir(dir.path()).entryList({kind + "*"}, QDir::Files | QDir::Hidden), QStringList{kind + ".Txt"});
    }
};

QTEST_MAIN(WorksheetTest)
#include "tst_worksheet.moc"
