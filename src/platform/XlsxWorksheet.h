#pragma once
#include "platform/WorksheetRows.h"
#include "platform/XmlPartReader.h"
#include "platform/ZipArchive.h"

#include <QSet>

// A worksheet of an .xlsx workbook (Office Open XML), read straight from its parts: the
// workbook's relationships find the sheet, shared strings and styles (part names relative or
// absolute), and the sheet's rows are read as a stream. Shared, inline and formula strings
// are texts; numbers shown in a date format are dates.
class XlsxWorksheet : public WorksheetRows {
public:
    // Throws AppError (WorkbookErrors::InvalidFile) when the file cannot be read as a
    // workbook or has no worksheet of that name.
    XlsxWorksheet(const QString& path, const QString& sheetName);
    ~XlsxWorksheet() override;

    bool next(WorksheetRow& row) override;

    // True for a number format code that shows a date ("dd/mm/yyyy", "mmm d", "yyyy-mm-dd hh:mm").
    static bool isDateFormatCode(const QString& code);

private:
    struct Relation {
        QString type;
        QString target;
    };
    QHash<QString, Relation> relations(const QString& part);
    XmlPartReader openPart(const QString& part);
    void readStrings(const QString& part);
    void readStyles(const QString& part);
    QVariant readCell();
    [[noreturn]] void damaged(const QString& why) const;

    QString m_path;
    ZipArchive m_zip;
    // The shared strings as UTF-8, one after the other, and where each ends: a big workbook
    // has hundreds of thousands of them, each a QString of its own would take five times the room.
    QByteArray m_strings;
    QVector<qsizetype> m_stringEnds;
    QSet<int> m_dateStyles; // cell format indexes that show dates
    bool m_1904 = false;
    std::unique_ptr<XmlPartReader> m_sheet;
    QByteArray m_value; // the cell's value as written, kept for its room
    int m_lastRow = 0;
};
