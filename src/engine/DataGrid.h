#pragma once
#include <QTableWidget>

class Recordset;

// A grid that shows a record set: one column per field, the field names as header (row 0)
// and one row per record from row 1 on. Column widths are set in twips; 0 hides a column.
class DataGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    // Shows the record set's rows, at most maxRows of them when maxRows >= 0 (its current
    // row is not moved).
    void bind(Recordset& recordset, int maxRows = -1);
    void clearRows();

    // Counting the header row, as callers expect: data rows are 1..rowCount()-1.
    int rowCount() const { return QTableWidget::rowCount() + 1; }
    int columnCount() const { return QTableWidget::columnCount(); }
    QString cellText(int row, int column) const;      // row 0 is the header
    void setCellText(int row, int column, const QString& text);
    void setColumnWidthTwips(int column, int twips);  // 15 twips a pixel; 0 hides
    int currentDataRow() const;                       // 1-based; 0 when none

signals:
    void rowChosen(int row);   // double click or Enter on a data row (1-based)
    void escapePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
