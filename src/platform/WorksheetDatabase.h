#pragma once
#include "platform/Connection.h"

#include <QString>
#include <QStringList>
#include <functional>

// A worksheet read into a private in-memory database as one table named after the sheet
// with a "$" ("Sheet1$"), so that statements such as "Select * From [Sheet1$] Where ..." run on
// it through the ordinary provider. The first row holding a value gives the column names
// (trimmed; an empty or repeated name becomes F1, F2... by its position); a column whose cells
// are all numbers is a double column, all dates a date column, anything else text. Each row's
// rowid is its number in the worksheet. The file is read once, as a stream: its rows go into
// the database as they come, and take their columns' types when the last one is read.
class WorksheetDatabase {
public:
    // Told the number of rows read so far, every few hundred rows; false stops the reading.
    using Progress = std::function<bool(int rowsRead)>;

    WorksheetDatabase();
    ~WorksheetDatabase();
    WorksheetDatabase(const WorksheetDatabase&) = delete;
    WorksheetDatabase& operator=(const WorksheetDatabase&) = delete;

    // Reads the worksheet and replaces what was loaded before; false when stopped through
    // `progress` (nothing stays loaded then). Throws AppError (WorkbookErrors::InvalidFile)
    // for a file that cannot be read; nothing stays loaded then.
    bool load(const QString& path, const QString& sheetName = QStringLiteral("Sheet1"), const Progress& progress = {});
    void close();
    bool isLoaded() const { return m_connection.isOpen(); }

    Connection& connection() { return m_connection; }
    const QStringList& columnNames() const { return m_columns; }

private:
    Connection m_connection;
    QStringList m_columns;
};
