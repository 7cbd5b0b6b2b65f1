#pragma once
#include <QString>
#include <QVariant>
#include <memory>

// One worksheet of a workbook file as a grid of typed cells: row 0 is the header row.
// A cell is null (empty), a double (number), a QDate or QDateTime (date) or a QString.
class WorksheetCells {
public:
    virtual ~WorksheetCells() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QVariant cell(int row, int column) const = 0;

    // Reads the worksheet `sheetName` of the workbook at `path`: an .xlsx or .ods workbook
    // (recognised by its content), a legacy .xls workbook, or a .csv file (its one sheet
    // stands for every name). Throws AppError (WorkbookErrors::InvalidFile) for a file that
    // is not a workbook, is damaged or truncated, or has no sheet of that name.
    static std::unique_ptr<WorksheetCells> read(const QString& path, const QString& sheetName);
};

namespace WorkbookErrors {
constexpr int InvalidFile = 3274; // external file not in the expected format
}
