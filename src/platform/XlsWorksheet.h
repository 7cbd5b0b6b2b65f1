#pragma once
#include "platform/WorksheetRows.h"

#include <QHash>

// A worksheet of a legacy binary (.xls, BIFF) workbook, read through FreeXL, with the stored
// results of its formula cells. The library's handle stays open while the cells are read.
class XlsWorksheet : public WorksheetRows {
public:
    // Throws AppError (WorkbookErrors::InvalidFile) when the file cannot be read or has no
    // worksheet of that name.
    XlsWorksheet(const QString& path, const QString& sheetName);
    ~XlsWorksheet() override;
    XlsWorksheet(const XlsWorksheet&) = delete;
    XlsWorksheet& operator=(const XlsWorksheet&) = delete;

    bool next(WorksheetRow& row) override;

private:
    QVariant cell(int row, int column) const;

    const void* m_handle = nullptr;
    int m_rows = 0;
    int m_columns = 0;
    int m_row = 0;
    QHash<quint64, QVariant> m_formulas;
};
