#pragma once
#include "platform/DbTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QVector>

// A statement's rows read one at a time, for runs over more rows than a record set should hold
// (an export). Each field is handed out as the text a record set's field gives (fieldText), in
// UTF-8, and stays valid until the next row.
class RowCursor {
public:
    virtual ~RowCursor() = default;

    virtual const QVector<ColumnInfo>& columns() const = 0;
    // Moves to the next row; false after the last. Errors throw AppError.
    virtual bool next() = 0;
    virtual QByteArrayView text(int column) = 0;
};

// A cursor over a result already read into memory (backends without a streaming read).
class ResultCursor : public RowCursor {
public:
    explicit ResultCursor(ResultSet&& result) : m_result(std::move(result)) {}

    const QVector<ColumnInfo>& columns() const override { return m_result.columns; }
    bool next() override;
    QByteArrayView text(int column) override;

private:
    ResultSet m_result;
    int m_row = -1;
    QByteArray m_text;
};
