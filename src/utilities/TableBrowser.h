#pragma once
#include "platform/DbTypes.h"
#include "platform/Recordset.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class Connection;
class DataGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

// The way the data utilities browse a table: the table's columns as field lists, a
// one-condition criterion, and the matching records in a preview grid with their count.
// Export, import and find-and-replace each configure one; the browser creates its controls
// and the screen lays them out.
class TableBrowser : public QObject {
    Q_OBJECT
public:
    enum class ColumnList { Fields, FieldBox }; // lstField (multi-selection) or cmbField

    struct Setup {
        QStringList tables;                  // cmbTable's entries
        ColumnList columnList = ColumnList::Fields;
        // The listing statement for the browser's state (table, chosen fields) and the clause.
        std::function<QString(const TableBrowser& browser, const QString& clause)> listingStatement;
        LockType listingLock = LockType::ReadOnly;
        // The worksheet: one record set is the sample and the listing; listing before it is
        // read says "List Records!".
        bool sampleIsListing = false;
        QString listName;                    // "cmdList", "cmdFilter", "cmdFind"
        QString listCaption;                 // "<List", "<Filter", "<Find"
        QString gridName;                    // "grdExport", "grdImport", "grdFind"
        int countLabel = 31;                 // lblField index of the count
        bool formatValues = true;            // dates and doubles formatted in the grid
        // The listing holds only the rows the grid shows and the total is counted apart: for a
        // screen that reads the listed rows afresh (the export) rather than from the listing.
        bool listingIsPreview = false;
    };

    static constexpr int kListedAtMost = 1000;
    static constexpr int kValueLength = 100; // characters of a criterion's value

    TableBrowser(const Setup& setup, QWidget* frame);
    ~TableBrowser() override;

    // The record sets run on the program's connection unless another is given (the worksheet's).
    void setConnection(Connection* connection) { m_connection = connection; }

    // On choosing a table: the sample record set on the table's first record, the field lists.
    void BuildFieldLists();
    // The field lists from the sample's columns ("Passcd" columns left out), first entries current.
    void fillFieldLists();
    // The clause for the criterion; empty after "Invalid Criteria!".
    std::optional<QString> BuildCriteriaClause();
    // The listing command; false when nothing was listed.
    bool ListRecords();
    // Binds the listing to the grid, applies the width rule, the count and "Total Records: n".
    void showListing();
    void SelectAllFields();

    // Closes both record sets and empties the grid.
    void release();
    // Replaces the sample by a record set already opened (the worksheet); total: the number
    // of rows it stands for when it holds only the first of them.
    void setSample(Recordset&& sample, int total = -1);

    Recordset& sample() { return m_sample; }
    Recordset& listing() { return m_setup.sampleIsListing ? m_sample : m_listing; }
    QString table() const;
    // The tables the listing statement names: all its criterion may read.
    ReadScope scope() const;
    // The statement of the current listing; empty when nothing is listed.
    QString listingStatement() const { return m_listingStatement; }
    // The number of listed records (more than the listing holds when it is a preview).
    int listedTotal();
    // Selected entries of lstField, in list order.
    QStringList selectedFields() const;
    // The type of a sample column by name (text when unknown).
    int columnType(const QString& name) const;

    QComboBox* tableBox() const { return m_table; }
    QListWidget* fieldList() const { return m_fields; }  // null with ColumnList::FieldBox
    QComboBox* fieldBox() const { return m_fieldBox; }   // null with ColumnList::Fields
    QComboBox* criteriaBox() const { return m_criteria; }
    QComboBox* operatorBox() const { return m_operator; }
    QLineEdit* valueBox() const { return m_value; }
    QPushButton* listButton() const { return m_list; }
    DataGrid* grid() const { return m_grid; }
    QLabel* countLabel() const { return m_count; }
    QLabel* recordsLabel() const { return m_recordsCaption; }

private:
    void applyWidths();
    void clearListing();

    Setup m_setup;
    Connection* m_connection = nullptr;
    Recordset m_sample;
    Recordset m_listing;
    QString m_listingStatement;
    int m_countedTotal = -1; // the total of a preview listing
    QComboBox* m_table;
    QListWidget* m_fields = nullptr;
    QComboBox* m_fieldBox = nullptr;
    QComboBox* m_criteria;
    QComboBox* m_operator;
    QLineEdit* m_value;
    QPushButton* m_list;
    DataGrid* m_grid;
    QLabel* m_count;
    QLabel* m_recordsCaption;
};

// A caption label of the data utilities' screens, naming its box for screen readers.
QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent);
