#pragma once
#include "platform/DbTypes.h"

#include <QDialog>
#include <QVariant>
#include <QVector>
#include <optional>

class Recordset;
class QLineEdit;
class TableBrowser;

// Find and replace: one column of every found customer set to one new value, in one
// transaction of set updates by key, after the access code (the enterprise's modify
// password) is given.
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
    // The typed text as the column stores it; none when the column cannot take it.
    std::optional<QVariant> newValue(const ColumnInfo& column, QString text) const;
    static QVector<QVariant> foundIds(Recordset& found);
    void replaceAll(const QString& column, const QVariant& value, const QVector<QVariant>& ids);
    void showReplaced(const QVector<QVariant>& ids);

    TableBrowser* m_browser = nullptr;
    QWidget* m_frame;
    QLineEdit* m_value = nullptr;
};
