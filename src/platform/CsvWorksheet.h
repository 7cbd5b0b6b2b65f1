#pragma once
#include "platform/WorksheetCells.h"

#include <QVector>

// A .csv file read as the one sheet of a workbook (RFC 4180: comma-separated, fields quoted
// with '"', lines ending in CR LF or LF). A field that reads as a number is a number, an ISO
// date (yyyy-MM-dd) a date, anything else text; an empty field is an empty cell.
class CsvWorksheet : public WorksheetCells {
public:
    // Throws AppError (WorkbookErrors::InvalidFile) when the file cannot be read or parsed.
    explicit CsvWorksheet(const QString& path);

    int rowCount() const override { return int(m_rows.size()); }
    int columnCount() const override { return m_columns; }
    QVariant cell(int row, int column) const override;

    // A field's text as a cell.
    static QVariant typed(const QString& text);

private:
    QVector<QVector<QVariant>> m_rows;
    int m_columns = 0;
};
