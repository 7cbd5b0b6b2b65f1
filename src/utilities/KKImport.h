#pragma once
#include "platform/Recordset.h"
#include "platform/WorksheetDatabase.h"
#include "utilities/LongRun.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class TableBrowser;

// Import: the rows of the worksheet "Sheet1" of a workbook (.xlsx, .ods, .xls, or a .csv file)
// become new customers, one transaction a row. The chosen worksheet columns are copied by
// name; every other column gets its default. A completed import asks for a database refresh
// and the program then ends, so that its next start runs the daily maintenance again.
class KKImport : public QDialog {
    Q_OBJECT
public:
    explicit KKImport(QWidget* parent = nullptr);
    ~KKImport() override;

    void chooseFile();     // cmdFile ">"
    void listWorksheet();  // cmdList "<List"
    void importRecords();  // cmdImport "Import>"

    // True once an import has completed: the caller ends the program.
    bool endsProgram() const { return m_endsProgram; }

    TableBrowser& browser() const { return *m_browser; }
    QLineEdit* fileBox() const { return m_file; }
    QLabel* progressLabel() const { return m_progress; }

public slots:
    void reject() override; // refused while an import runs

private:
    void importRow(const QVector<QPair<int, int>>& copied);
    void removeYesterdaysArchive();

    WorksheetDatabase m_sheet;
    Recordset m_target;
    TableBrowser* m_browser = nullptr;
    QWidget* m_frame;
    QLabel* m_progress;
    LongRun m_run;
    QLineEdit* m_file = nullptr;
    bool m_endsProgram = false;
};
