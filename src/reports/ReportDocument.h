#pragma once
#include "platform/DbTypes.h"
#include "reports/ReportLayout.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QVariant>
#include <memory>

class Recordset;

// One opened report: its layout, the rows the program feeds it and the texts of its
// formula fields. Used in the order of the classic report runtime: open by path, log each
// table on, discard saved data, set the data source, set the formula texts.
class ReportDocument {
public:
    // Opens the layout file at path. Throws AppError when it is missing or invalid.
    static std::unique_ptr<ReportDocument> open(const QString& path);

    const ReportLayout& layout() const { return m_layout; }

    int tableCount() const { return int(m_layout.tables.size()); }
    // table counts from 1. The embedded database needs no server, user or password; the
    // database name is kept for the record.
    void setLogOnInfo(int table, const QString& server, const QString& database, const QString& user,
                      const QString& password);

    // Forgets rows kept from an earlier run.
    void discardSavedData();
    // Takes the rows of an open record set (a copy; the record set may close afterwards).
    void setDataSource(const Recordset& rows);

    // Sets a formula field's text. Throws AppError when the layout has no such formula.
    void setFormulaText(const QString& name, const QString& text);
    QString formulaText(const QString& name) const { return m_formulas.value(name); }
    bool hasFormula(const QString& name) const { return m_layout.formulas.contains(name); }

    int rowCount() const { return int(m_rows.size()); }
    // A column's value in a row (the first column of that name); null when there is none.
    QVariant value(int row, const QString& column) const;
    // A field as printed: a column name, or a text with {Column} placeholders, values
    // formatted as the screens show them, runs of blanks closed up.
    QString text(int row, const QString& field) const;

private:
    explicit ReportDocument(ReportLayout layout) : m_layout(std::move(layout)) {}

    ReportLayout m_layout;
    QString m_database;
    QVector<QVector<QVariant>> m_rows;
    QHash<QString, int> m_columnIndex; // lower-case name -> first column of that name
    QMap<QString, QString> m_formulas;
};
