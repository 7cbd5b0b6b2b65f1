#pragma once
#include "platform/WorksheetCells.h"

#include <QSet>
#include <memory>

namespace orcus::spreadsheet {
class document;
class sheet;
}

// A worksheet of an .xlsx or .ods workbook, read with orcus into its spreadsheet model.
// Numbers shown in a date format (and the date cells of an .ods workbook) are dates; other
// numbers are doubles.
class OrcusWorksheet : public WorksheetCells {
public:
    enum class Format { Xlsx, Ods };

    // Throws AppError (WorkbookErrors::InvalidFile) when the file cannot be read as that
    // format or has no worksheet of that name.
    OrcusWorksheet(const QString& path, Format format, const QString& sheetName);
    ~OrcusWorksheet() override;

    int rowCount() const override { return m_rows; }
    int columnCount() const override { return m_columns; }
    QVariant cell(int row, int column) const override;

    // True for a number format code that shows a date ("dd/mm/yyyy", "mmm d", "yyyy-mm-dd hh:mm").
    static bool isDateFormatCode(const QString& code);

private:
    bool shownAsDate(int row, int column) const;

    std::unique_ptr<orcus::spreadsheet::document> m_document;
    const orcus::spreadsheet::sheet* m_sheet = nullptr;
    int m_sheetIndex = 0;
    int m_firstRow = 0;
    int m_firstColumn = 0;
    int m_rows = 0;
    int m_columns = 0;
    QSet<quint64> m_dateCells; // cells the file itself types as dates (row << 32 | column)
    mutable QHash<size_t, bool> m_dateFormats; // cell format index -> shows a date
};
