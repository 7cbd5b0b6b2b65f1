#pragma once
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

// One row of a worksheet: its number as the sheet shows it (1 for the first row) and its
// cells from column A on. A cell is null (empty), a double (number), a QDate or QDateTime
// (date) or a QString.
struct WorksheetRow {
    int number = 0;
    QVector<QVariant> cells;
};

// The rows of one worksheet of a workbook file, read one at a time in sheet order. Rows
// without any cell may be left out.
class WorksheetRows {
public:
    virtual ~WorksheetRows() = default;
    // The next row; false after the last. Throws AppError (WorkbookErrors::InvalidFile) when
    // the file turns out to be damaged.
    virtual bool next(WorksheetRow& row) = 0;

    // Opens the worksheet `sheetName` of the workbook at `path`: an .xlsx or .ods workbook
    // (recognised by its content), a legacy .xls workbook, or a .csv file (its one sheet
    // stands for every name). Throws AppError (WorkbookErrors::InvalidFile) for a file that
    // is not a workbook, is damaged, or has no sheet of that name.
    static std::unique_ptr<WorksheetRows> open(const QString& path, const QString& sheetName);
};

namespace WorkbookErrors {
constexpr int InvalidFile = 3274; // external file not in the expected format
}
