#include "platform/XlsWorksheet.h"

#include "platform/AppError.h"
#include "platform/XlsFormulaResults.h"

#include <QDate>
#include <QDateTime>
#include <QFile>

#include <freexl.h>

namespace {

const QString kSource = QStringLiteral("Workbook reader");

[[noreturn]] void invalid(const QString& path, const QString& why)
{
    throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1: %2").arg(path, why));
}

}

XlsWorksheet::XlsWorksheet(const QString& path, const QString& sheetName)
{
    const QByteArray file = QFile::encodeName(path);
    if (freexl_open(file.constData(), &m_handle) != FREEXL_OK) {
        m_handle = nullptr;
        invalid(path, QStringLiteral("not a readable .xls workbook"));
    }
    unsigned int sheets = 0;
    freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    for (unsigned short i = 0; i < sheets; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(m_handle, i, &name) != FREEXL_OK || !name
            || QString::fromUtf8(name).compare(sheetName, Qt::CaseInsensitive) != 0)
            continue;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(m_handle, i) != FREEXL_OK
            || freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK)
            break;
        m_rows = int(rows);
        m_columns = int(columns);
        m_formulas = XlsFormulaResults::read(path, sheetName);
        return;
    }
    freexl_close(m_handle);
    m_handle = nullptr;
    invalid(path, QStringLiteral("no worksheet named %1").arg(sheetName));
}

XlsWorksheet::~XlsWorksheet()
{
    if (m_handle)
        freexl_close(m_handle);
}

bool XlsWorksheet::next(WorksheetRow& row)
{
    if (m_row >= m_rows)
        return false;
    row.number = m_row + 1;
    row.cells.resize(m_columns);
    for (int c = 0; c < m_columns; ++c)
        row.cells[c] = cell(m_row, c);
    ++m_row;
    return true;
}

QVariant XlsWorksheet::cell(int row, int column) const
{
    const auto formula = m_formulas.constFind(XlsFormulaResults::cellKey(row, column));
    if (formula != m_formulas.constEnd())
        return *formula;
    FreeXL_CellValue value;
    if (freexl_get_cell_value(m_handle, unsigned(row), (unsigned short)(column), &value) != FREEXL_OK)
        return {};
    switch (value.type) {
    case FREEXL_CELL_INT:
        return double(value.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return value.value.double_value;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_TIME:
        return QString::fromUtf8(value.value.text_value);
    case FREEXL_CELL_DATE:
        return QDate::fromString(QString::fromUtf8(value.value.text_value), Qt::ISODate);
    case FREEXL_CELL_DATETIME: {
        const QDateTime moment = QDateTime::fromString(QString::fromUtf8(value.value.text_value),
                                                       QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return moment.time() == QTime(0, 0) ? QVariant(moment.date()) : QVariant(moment);
    }
    default:
        return {};
    }
}
