#include "reports/ReportDocument.h"

#include "platform/AppError.h"
#include "platform/DateText.h"
#include "platform/Recordset.h"

#include <QRegularExpression>

namespace {
const QString kSource = QStringLiteral("ReportDocument");

QString valueText(const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return {};
    switch (v.typeId()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return DateText::format(v);
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'f', 2);
    default:
        return v.toString();
    }
}
}

std::unique_ptr<ReportDocument> ReportDocument::open(const QString& path)
{
    return std::unique_ptr<ReportDocument>(new ReportDocument(ReportLayout::load(path)));
}

void ReportDocument::setLogOnInfo(int table, const QString&, const QString& database, const QString&, const QString&)
{
    if (table < 1 || table > tableCount())
        throw AppError(ReportErrors::BadTable, kSource, QStringLiteral("Invalid table number: %1").arg(table));
    m_database = database;
}

void ReportDocument::discardSavedData()
{
    m_rows.clear();
    m_columnIndex.clear();
}

void ReportDocument::setDataSource(const Recordset& rows)
{
    discardSavedData();
    const QVector<ColumnInfo>& columns = rows.columns();
    // Walked backwards so that of two columns with one name (a join of "a.*, b.*") the first wins.
    for (int i = int(columns.size()) - 1; i >= 0; --i)
        m_columnIndex.insert(columns[i].name.toLower(), i);
    m_rows = rows.rows();
}

void ReportDocument::setFormulaText(const QString& name, const QString& text)
{
    if (!hasFormula(name))
        throw AppError(ReportErrors::UnknownFormula, kSource,
                       QStringLiteral("The formula name could not be found: %1").arg(name));
    m_formulas.insert(name, text);
}

QVariant ReportDocument::value(int row, const QString& column) const
{
    const auto it = m_columnIndex.constFind(column.toLower());
    if (row < 0 || row >= m_rows.size() || it == m_columnIndex.cend())
        return {};
    return m_rows[row].value(*it);
}

QString ReportDocument::text(int row, const QString& field) const
{
    if (!field.contains(QLatin1Char('{')))
        return valueText(value(row, field));
    static const QRegularExpression placeholder(QStringLiteral("\\{(\\w+)\\}"));
    static const QRegularExpression blanks(QStringLiteral("[ \\t]{2,}"));
    QString out;
    qsizetype last = 0;
    for (auto it = placeholder.globalMatch(field); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += field.mid(last, m.capturedStart() - last) + valueText(value(row, m.captured(1)));
        last = m.capturedEnd();
    }
    out += field.mid(last);
    return out.replace(blanks, QStringLiteral(" ")).trimmed();
}
