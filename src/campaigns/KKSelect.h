#pragma once
#include "base/Program.h"
#include "platform/Recordset.h"

#include <QDialog>

class DataGrid;
class QComboBox;
class QLineEdit;
class QPushButton;
class RecordScreen;

// The Selection screen: up to two conditions on customer columns for the campaign open on
// `screen`, previewed in a grid. It reads the customer type from field 3 and the current
// criterion from field 4, and writes the criterion it builds back into field 4 (on View
// and on Ok).
class KKSelect : public QDialog {
    Q_OBJECT
public:
    explicit KKSelect(RecordScreen& screen, QWidget* parent = nullptr);
    ~KKSelect() override;

    // Fills the lists and the preview from the campaign's type and criterion.
    void load();
    // The criterion built last: " ( 1=1 )" once the preview opened on rows, the campaign's own
    // before that; a View stopped by an invalid value leaves what it had built.
    QString criterion() const { return m_criterion; }

public slots:
    void view();   // "<View"
    void ok();     // "Ok"

private:
    // Opens the preview on a condition; a failure is reported once, and a condition refused for
    // reading beyond the customers leaves the preview as it was.
    GuardResult openPreview(const QString& condition);
    void showRows();
    bool appendCondition(QString& criterion, QComboBox* field, QComboBox* op, QLineEdit* value);
    void release();

    RecordScreen& m_screen;
    QComboBox* m_field1;
    QComboBox* m_operator1;
    QLineEdit* m_value1;
    QComboBox* m_join;
    QComboBox* m_field2;
    QComboBox* m_operator2;
    QLineEdit* m_value2;
    DataGrid* m_grid;
    Recordset m_rows;
    QString m_criterion;
};
