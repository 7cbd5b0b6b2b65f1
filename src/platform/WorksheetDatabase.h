#pragma once
#include "platform/Connection.h"

#include <QString>
#include <QStringList>

class WorksheetCells;

// A worksheet read into a private in-memory database as one table named after the sheet
// with a "$" ("Sheet1$"), so that statements such as "Select * From [Sheet1$] Where ..." run on
// it through the ordinary provider. The header row gives the column names (trimmed; an empty
// or repeated name becomes F1, F2... by its position); a column whose cells are all numbers is
// a double column, all dates a date column, anything else text.
class WorksheetDatabase {
public:
    WorksheetDatabase();
    ~WorksheetDatabase();
    WorksheetDatabase(const WorksheetDatabase&) = delete;
    WorksheetDatabase& operator=(const WorksheetDatabase&) = delete;

    // Reads the worksheet and replaces what was loaded before. Throws AppError
    // (WorkbookErrors::InvalidFile) for a file that cannot be read; nothing stays loaded then.
    void load(const QString& path, const QString& sheetName = QStringLiteral("Sheet1"));
    // Loads cells already read (for callers that have them in hand).
    void load(const WorksheetCells& cells, const QString& sheetName);
    void close();
    bool isLoaded() const { return m_connection.isOpen(); }

    Connection& connection() { return m_connection; }
    QString tableName() const { return m_table; }
    const QStringList& columnNames() const { return m_columns; }

private:
    Connection m_connection;
    QString m_table;
    QStringList m_columns;
};
