#pragma once
#include <QDialog>

class QLineEdit;
class TableBrowser;

// Find and replace: one column of every found customer set to one new value, in one
// transaction, after the access code (the enterprise's modify password) is given.
class KKFindRepl : public QDialog {
    Q_OBJECT
public:
    explicit KKFindRepl(QWidget* parent = nullptr);
    ~KKFindRepl() override;

    // Shows "Modify-Password Required!" (every opening), then the screen modally.
    int exec() override;

    void chooseColumn();   // leaving cmbField: the new value's maximum length
    void replaceRecords(); // cmdReplace "<Replace"

    TableBrowser& browser() const { return *m_browser; }
    QLineEdit* valueBox() const { return m_value; }

private:
    int chosenColumn() const; // position of cmbField's column in the record; -1 when none

    TableBrowser* m_browser = nullptr;
    QWidget* m_frame;
    QLineEdit* m_value = nullptr;
};
