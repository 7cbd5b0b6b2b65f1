#pragma once
// Workbook files written at test time: .xlsx through libxlsxwriter, .ods as a zip of its XML
// parts (packed by Python's zipfile), .csv as text; and workbooks as other programs write them:
// LibreOffice (headless, legacy .xls too) and Python's openpyxl.
#include "common/TestSupport.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <xlsxwriter.h>

namespace SheetFiles {

using Rows = QVector<QVector<QVariant>>; // a null QVariant leaves the cell empty

struct Sheet {
    QString name;
    Rows rows;
};

inline bool writeXlsx(const QString& path, const QVector<Sheet>& sheets)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_format* dateFormat = workbook_add_format(book);
    format_set_num_format(dateFormat, "dd/mm/yyyy");
    for (const Sheet& sheet : sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(book, sheet.name.toUtf8().constData());
        for (lxw_row_t r = 0; r < lxw_row_t(sheet.rows.size()); ++r)
            for (lxw_col_t c = 0; c < lxw_col_t(sheet.rows[r].size()); ++c) {
                const QVariant& v = sheet.rows[r][c];
                if (v.isNull())
                    continue;
                if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int) {
                    worksheet_write_number(ws, r, c, v.toDouble(), nullptr);
                } else if (v.typeId() == QMetaType::QDate) {
                    const QDate d = v.toDate();
                    lxw_datetime when{d.year(), d.month(), d.day(), 0, 0, 0};
                    worksheet_write_datetime(ws, r, c, &when, dateFormat);
                } else {
                    worksheet_write_string(ws, r, c, v.toString().toUtf8().constData(), nullptr);
                }
            }
    }
    return workbook_close(book) == LXW_NO_ERROR;
}

inline bool writeOds(const QString& path, const QVector<Sheet>& sheets)
{
    QString tables;
    for (const Sheet& sheet : sheets) {
        tables += QString("<table:table table:name=\"%1\">").arg(sheet.name.toHtmlEscaped());
        for (const auto& row : sheet.rows) {
            tables += "<table:table-row>";
            for (const QVariant& v : row) {
                if (v.isNull())
                    tables += "<table:table-cell/>";
                else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int)
                    tables += QString("<table:table-cell office:value-type=\"float\" office:value=\"%1\"><text:p>%1</text:p>"
                                      "</table:table-cell>").arg(v.toDouble());
                else if (v.typeId() == QMetaType::QDate)
                    tables += QString("<table:table-cell office:value-type=\"date\" office:date-value=\"%1\"><text:p>%1"
                                      "</text:p></table:table-cell>").arg(v.toDate().toString(Qt::ISODate));
                else
                    tables += QString("<table:table-cell office:value-type=\"string\"><text:p>%1</text:p></table:table-cell>")
                                  .arg(v.toString().toHtmlEscaped());
            }
            tables += "</table:table-row>";
        }
        tables += "</table:table>";
    }
    const QString content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\">"
        "<office:body><office:spreadsheet>" + tables + "</office:spreadsheet></office:body></office:document-content>";
    const QString manifest =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><manifest:manifest "
        "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">"
        "<manifest:file-entry manifest:full-path=\"/\" manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/></manifest:manifest>";
    const char* pack = "import sys, zipfile\n"
                       "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n"
                       "z.writestr(zipfile.ZipInfo('mimetype'), 'application/vnd.oasis.opendocument.spreadsheet')\n"
                       "z.writestr('content.xml', sys.argv[2])\n"
                       "z.writestr('META-INF/manifest.xml', sys.argv[3])\n"
                       "z.close()\n";
    return QProcess::execute("/usr/bin/python3", {"-c", pack, path, content, manifest}) == 0;
}

// The customers every foreign workbook holds, as the import lists them (dates in the US
// short date): a merged first cell, texts that look like numbers, a formula with a text result
// and one with a number.
inline const QStringList foreignRows{"Merged||01234|+4917012345678|Jürgen|a@b.c|05/01/2024",
                                     "Ann|Lee – €5|1234567890123456789|0049|3|x@y.z|12/31/2024"};

// The same as a flat OpenDocument spreadsheet, for LibreOffice to convert (the text formula
// without a stored result, so that LibreOffice computes it as a user's copy would have), with
// another sheet before Sheet1.
inline bool writeFlatOds(const QString& path)
{
    auto text = [](const QString& t) {
        return QString("<table:table-cell office:value-type=\"string\"><text:p>%1</text:p></table:table-cell>").arg(t);
    };
    auto date = [](const QString& d) {
        return QString("<table:table-cell table:style-name=\"ce1\" office:value-type=\"date\" office:date-value=\"%1\">"
                       "<text:p>%1</text:p></table:table-cell>").arg(d);
    };
    QString rows = "<table:table-row>";
    for (const char* name : {"CFirst", "CLast", "CZipCode", "CPhone", "CRemarks", "CEmail", "EDate"})
        rows += text(name);
    rows += "</table:table-row><table:table-row><table:table-cell table:number-columns-spanned=\"2\" "
            "office:value-type=\"string\"><text:p>Merged</text:p></table:table-cell><table:covered-table-cell/>"
            + text("01234") + text("+4917012345678")
            + "<table:table-cell table:formula=\"of:=CONCATENATE(&quot;Jür&quot;;&quot;gen&quot;)\"/>"
            + text("a@b.c") + date("2024-05-01") + "</table:table-row><table:table-row>" + text("Ann")
            + text("Lee – €5") + text("1234567890123456789") + text("0049")
            + "<table:table-cell table:formula=\"of:=1+2\" office:value-type=\"float\" office:value=\"3\"><text:p>3</text:p>"
              "</table:table-cell>" + text("x@y.z") + date("2024-12-31") + "</table:table-row>";
    const QString document =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" office:version=\"1.2\" "
        "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:automatic-styles>"
        "<number:date-style style:name=\"N1\"><number:year number:style=\"long\"/><number:text>-</number:text>"
        "<number:month number:style=\"long\"/><number:text>-</number:text><number:day number:style=\"long\"/>"
        "</number:date-style><style:style style:name=\"ce1\" style:family=\"table-cell\" style:data-style-name=\"N1\"/>"
        "</office:automatic-styles><office:body><office:spreadsheet>"
        "<table:table table:name=\"Notes\"><table:table-row>" + text("not this one") + "</table:table-row></table:table>"
        "<table:table table:name=\"Sheet1\">" + rows + "</table:table></office:spreadsheet></office:body></office:document>";
    return writeFile(path, document.toUtf8());
}

// LibreOffice's conversion of a file into `format` ("xlsx", "ods", "xls") beside it; empty
// when LibreOffice is not installed or fails. A private profile keeps it apart from other runs.
inline QString convertWithOffice(const QString& source, const QString& format, const QString& profile)
{
    const QString office = QStandardPaths::findExecutable("soffice");
    if (office.isEmpty())
        return {};
    const QString folder = QFileInfo(source).absolutePath();
    QProcess run;
    run.start(office, {"-env:UserInstallation=file://" + profile, "--headless", "--convert-to", format, "--outdir",
                       folder, source});
    if (!run.waitForFinished(180000) || run.exitCode() != 0)
        return {};
    const QString converted = folder + "/" + QFileInfo(source).completeBaseName() + "." + format;
    return QFile::exists(converted) ? converted : QString();
}

// The foreign customers as openpyxl writes them (inline strings, absolute part names, a merged
// cell), with another sheet before Sheet1.
inline bool writeWithOpenpyxl(const QString& path)
{
    const char* write = "import sys, datetime, openpyxl\n"
                        "book = openpyxl.Workbook()\n"
                        "book.active.title = 'Notes'\n"
                        "ws = book.create_sheet('Sheet1')\n"
                        "ws.append(['CFirst', 'CLast', 'CZipCode', 'CPhone', 'CRemarks', 'CEmail', 'EDate'])\n"
                        "ws.append(['Merged', None, '01234', '+4917012345678', 'Jürgen', 'a@b.c', datetime.date(2024, 5, 1)])\n"
                        "ws.append(['Ann', 'Lee – €5', '1234567890123456789', '0049', 3, 'x@y.z', datetime.date(2024, 12, 31)])\n"
                        "ws.merge_cells('A2:B2')\n"
                        "book.save(sys.argv[1])\n";
    return QProcess::execute("/usr/bin/python3", {"-c", write, path}) == 0;
}

}
