#include "platform/RowCursor.h"

bool ResultCursor::next()
{
    if (m_row < int(m_result.rows.size()))
        ++m_row;
    return m_row < int(m_result.rows.size());
}

QByteArrayView ResultCursor::text(int column)
{
    m_text = fieldText(m_result.rows.at(m_row).at(column)).toUtf8();
    return m_text;
}
