#pragma once
#include "platform/DbBackend.h"
#include "platform/DbTypes.h"
#include "platform/ReadScope.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

class Connection;
class Recordset;

// A field of the current row: read its value and metadata, write it as text.
class Field {
public:
    Field(Recordset& rs, int index) : m_rs(rs), m_index(index) {}
    QVariant value() const;        // null for a missing value; QDate/QDateTime for dates
    QString text() const;          // value as text ("" for null; dates in the short-date form)
    void setValue(const QVariant& value); // converted to the column's type; error if it can't be
    QString name() const;
    int type() const;              // FieldType codes
    int definedSize() const;
    int actualSize() const;        // characters of a text value; storage size otherwise; 0 for null
    int index() const { return m_index; }

private:
    Recordset& m_rs;
    int m_index;
};

// A client-side record set: a statement's rows read into memory, navigated, searched and,
// when its source is one table with EId, written through to that table by EId.
class Recordset {
public:
    Recordset() = default;

    // A value converted to a column's type as a field stores it. Throws AppError
    // (DbErrors::TypeMismatch, DbErrors::FieldTooSmall) when the column cannot hold it.
    static QVariant convertedFor(const ColumnInfo& column, const QVariant& value);

    // source: a table name or one SQL statement. Errors throw AppError. A statement that carries
    // a condition typed by the user passes the tables its screen reads as its scope.
    void open(const QString& source, Connection& connection,
              CursorType cursor = CursorType::ForwardOnly, LockType lock = LockType::ReadOnly,
              const ReadScope& scope = {});
    void close();
    bool isOpen() const { return m_open; }

    bool eof() const;
    bool bof() const;
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();
    // From the current row forward, the first row satisfying criteria such as
    // "ULogin= 'x'" or "EId = 7"; none found leaves the record set at EOF.
    void find(const QString& criteria);

    // The current row as the caller read it earlier (a record screen shows a row long before it
    // saves it): a later write checks that the database still holds these values. Ignored when
    // the row is another one (its EId differs).
    void setReadValues(const QVector<QVariant>& row);

    void addNew();
    void update();
    void cancelUpdate();
    void deleteCurrent();

    int recordCount() const;
    int fieldCount() const;
    Field field(int index) { return Field(*this, index); }
    Field field(const QString& name) { return Field(*this, indexOf(name)); }
    int indexOf(const QString& name) const; // throws when no such field
    // The current row's EId (first column named EId).
    qint64 currentId() const;

    const QVector<ColumnInfo>& columns() const { return m_result.columns; }
    // All rows, for binding to a grid.
    const QVector<QVector<QVariant>>& rows() const { return m_result.rows; }
    int position() const { return m_pos; } // 0-based row, -1 at BOF, recordCount() at EOF

private:
    friend class Field;
    QVariant valueAt(int index) const;
    void setValueAt(int index, const QVariant& value);
    void checkOpen() const;
    void checkCurrent() const;
    void checkWritable() const;
    void commitPending();
    // A row a write gave back; raises when none came.
    QVector<QVariant> stored(const QVector<QVariant>& row) const;
    DbBackend::Values asRead(const QVector<QVariant>& row) const; // what a write expects to find

    Connection* m_connection = nullptr;
    bool m_open = false;
    LockType m_lock = LockType::ReadOnly;
    ResultSet m_result;
    QString m_table;       // the one base table when the record set is updatable
    int m_idColumn = -1;   // the column that holds the base table's EId
    int m_pos = -1;
    bool m_deletedCurrent = false;
    // An edit in progress: AddNew (new row) or field writes on the current row.
    std::optional<QVector<QVariant>> m_buffer;
    QVector<bool> m_dirty;
    bool m_adding = false;
    int m_posBeforeAdd = -1;
};
