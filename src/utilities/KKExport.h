#pragma once
#include "utilities/FileTableScreen.h"

#include <QVector>

class RowCursor;

// Export: chosen columns of the listed records of a content table, written to a text file
// with fixed-width fields (or comma-separated values for a name ending in .csv).
class KKExport : public FileTableScreen {
    Q_OBJECT
public:
    // Memo columns are at most this wide in the fixed-width file; longer values are cut.
    static constexpr int kMemoWidth = 255;

    explicit KKExport(QWidget* parent = nullptr);

    void chooseFile();     // cmdFile ">"
    void exportRecords();  // cmdExport "Export>"

    // The width of each column in the fixed-width file: a text column its defined size,
    // numbers and dates their longest value, memo columns their longest value up to kMemoWidth;
    // never narrower than the column's name. Reads the cursor to its end.
    static QVector<int> columnWidths(RowCursor& rows);
};
