#pragma once
#include <QDialog>

class DataGrid;
class QComboBox;
class QLineEdit;
class QPushButton;

// The record finder of a record module: a column, an operator and a value list at most 100
// matching rows; choosing a row makes it the module's current record.
class KKInquiry : public QDialog {
    Q_OBJECT
public:
    explicit KKInquiry(QWidget* parent = nullptr);
    ~KKInquiry() override;

    // Loads the screen and shows it modally; an empty table says "No Record!" instead.
    void run();
    // Prepares the screen without showing it; false when the table is empty ("No Record!" shown).
    bool load();
    void search();           // cmdInquiry
    void chooseRow(int row); // double click or Enter on grid row (1-based)

    QComboBox* fieldBox() const { return m_field; }
    QComboBox* operatorBox() const { return m_operator; }
    QLineEdit* valueBox() const { return m_value; }
    DataGrid* grid() const { return m_grid; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void release();

    QComboBox* m_field;
    QComboBox* m_operator;
    QLineEdit* m_value;
    QPushButton* m_search;
    DataGrid* m_grid;
};
