#pragma once
#include "platform/Recordset.h"
#include "platform/RowCursor.h"
#include "platform/WorksheetDatabase.h"
#include "utilities/FileTableScreen.h"

// Import: the rows of the worksheet "Sheet1" of a workbook (.xlsx, .ods, .xls, or a .csv file)
// become new customers, one transaction a row (the target table is only added to, never read). The chosen worksheet columns are copied by
// name; every other column gets its default. A completed import asks for a database refresh
// and the program then ends, so that its next start runs the daily maintenance again.
class KKImport : public FileTableScreen {
    Q_OBJECT
public:
    explicit KKImport(QWidget* parent = nullptr);
    ~KKImport() override;

    void chooseFile();     // cmdFile ">"
    void listWorksheet();  // cmdList "<List"
    void importRecords();  // cmdImport "Import>"

    // True once an import has completed: the caller ends the program.
    bool endsProgram() const { return m_endsProgram; }

private:
    struct Target; // the target's columns, their defaults and the prepared insert
    void importRow(RowCursor& row, Target& target, QStringList& refused);
    void removeYesterdaysArchive();

    WorksheetDatabase m_sheet;
    bool m_endsProgram = false;
};
