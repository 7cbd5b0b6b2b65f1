#pragma once
#include "platform/WorksheetRows.h"
#include "platform/ZipArchive.h"

#include <QXmlStreamReader>

// A worksheet of an .ods workbook (OpenDocument), read as a stream from its content part.
// Every cell keeps its column: cells covered by a merged cell count as cells, repeated rows
// and cells are repeated. A cell's value is its office value (numbers, dates, the text result
// of a formula) or, for text, its paragraphs joined by line breaks.
class OdsWorksheet : public WorksheetRows {
public:
    // Throws AppError (WorkbookErrors::InvalidFile) when the file cannot be read as a
    // workbook or has no worksheet of that name.
    OdsWorksheet(const QString& path, const QString& sheetName);
    ~OdsWorksheet() override;

    bool next(WorksheetRow& row) override;

private:
    bool readRow(WorksheetRow& row);
    QVariant readCell();
    QString readText();
    [[noreturn]] void damaged(const QString& why) const;

    QString m_path;
    ZipArchive m_zip;
    std::unique_ptr<QIODevice> m_content;
    QXmlStreamReader m_xml;
    bool m_inTable = false;
    int m_rowNumber = 0;  // the number of the last row read
    int m_repeats = 0;    // times the last row is still to be given
    WorksheetRow m_repeated;
};
