#pragma once
// Workbook files written at test time: .xlsx through libxlsxwriter, legacy .xls through
// Python's xlwt, .ods as a zip of its XML parts (packed by Python's zipfile), .csv as text.
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
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
        for (int r = 0; r < sheet.rows.size(); ++r)
            for (int c = 0; c < sheet.rows[r].size(); ++c) {
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

// Cells travel to Python as JSON: {"n": number}, {"d": "yyyy-MM-dd"}, {"s": text} or null.
inline bool writeXls(const QString& path, const QVector<Sheet>& sheets)
{
    QJsonArray book;
    for (const Sheet& sheet : sheets) {
        QJsonArray rows;
        for (const auto& row : sheet.rows) {
            QJsonArray cells;
            for (const QVariant& v : row) {
                if (v.isNull())
                    cells.append(QJsonValue());
                else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int)
                    cells.append(QJsonObject{{"n", v.toDouble()}});
                else if (v.typeId() == QMetaType::QDate)
                    cells.append(QJsonObject{{"d", v.toDate().toString(Qt::ISODate)}});
                else
                    cells.append(QJsonObject{{"s", v.toString()}});
            }
            rows.append(cells);
        }
        book.append(QJsonObject{{"name", sheet.name}, {"rows", rows}});
    }
    const char* write = "import sys, json, datetime, xlwt\n"
                        "book = xlwt.Workbook(encoding='utf-8')\n"
                        "dates = xlwt.easyxf(num_format_str='dd/mm/yyyy')\n"
                        "for sheet in json.loads(sys.argv[2]):\n"
                        "    ws = book.add_sheet(sheet['name'])\n"
                        "    for r, row in enumerate(sheet['rows']):\n"
                        "        for c, cell in enumerate(row):\n"
                        "            if cell is None: continue\n"
                        "            if 'n' in cell: ws.write(r, c, cell['n'])\n"
                        "            elif 'd' in cell: ws.write(r, c, datetime.date.fromisoformat(cell['d']), dates)\n"
                        "            else: ws.write(r, c, cell['s'])\n"
                        "book.save(sys.argv[1])\n";
    return QProcess::execute("/usr/bin/python3",
                             {"-c", write, path, QString::fromUtf8(QJsonDocument(book).toJson(QJsonDocument::Compact))})
           == 0;
}

inline QString escaped(QString text)
{
    return text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;").replace('"', "&quot;");
}

inline bool writeOds(const QString& path, const QVector<Sheet>& sheets)
{
    QString tables;
    for (const Sheet& sheet : sheets) {
        tables += QString("<table:table table:name=\"%1\">").arg(escaped(sheet.name));
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
                                  .arg(escaped(v.toString()));
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

inline bool writeText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}
