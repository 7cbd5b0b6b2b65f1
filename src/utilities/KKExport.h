#pragma once
#include "utilities/LongRun.h"

#include <QDialog>
#include <QVector>

class QLabel;
class QLineEdit;
class QPushButton;
class Recordset;
class TableBrowser;

// Export: chosen columns of the listed records of a content table, written to a text file
// with fixed-width fields (or comma-separated values for a name ending in .csv).
class KKExport : public QDialog {
    Q_OBJECT
public:
    // Memo columns are at most this wide in the fixed-width file; longer values are cut.
    static constexpr int kMemoWidth = 255;

    explicit KKExport(QWidget* parent = nullptr);
    ~KKExport() override;

    void chooseFile();     // cmdFile ">"
    void exportRecords();  // cmdExport "Export>"

    // The width of each listed column in the fixed-width file: a text column its defined size,
    // numbers and dates their longest value, memo columns their longest value up to kMemoWidth;
    // never narrower than the column's name.
    static QVector<int> columnWidths(Recordset& listing);

    TableBrowser& browser() const { return *m_browser; }
    QLineEdit* fileBox() const { return m_file; }
    QLabel* progressLabel() const { return m_progress; }

public slots:
    void reject() override; // refused while an export runs

private:
    TableBrowser* m_browser;
    QWidget* m_frame;
    QLabel* m_progress;
    LongRun m_run;
    QLineEdit* m_file = nullptr;
};
