#pragma once
#include "platform/WorksheetCells.h"

// A worksheet of a legacy binary (.xls, BIFF) workbook, read through FreeXL. The library's
// handle stays open while the cells are read.
class XlsWorksheet : public WorksheetCells {
public:
    // Throws AppError (WorkbookErrors::InvalidFile) when the file cannot be read or has no
    // worksheet of that name.
    XlsWorksheet(const QString& path, const QString& sheetName);
    ~XlsWorksheet() override;
    XlsWorksheet(const XlsWorksheet&) = delete;
    XlsWorksheet& operator=(const XlsWorksheet&) = delete;

    int rowCount() const override { return m_rows; }
    int columnCount() const override { return m_columns; }
    QVariant cell(int row, int column) const override;

private:
    const void* m_handle = nullptr;
    int m_rows = 0;
    int m_columns = 0;
};
