#include "platform/CsvWorksheet.h"

#include "platform/AppError.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <orcus/csv_parser.hpp>

namespace {

const QString kSource = QStringLiteral("Workbook reader");

// Collects the parser's cells row by row.
struct Collector {
    QVector<QVector<QVariant>>* rows;
    QVector<QVariant> row;

    void begin_parse() {}
    void end_parse() {}
    void begin_row() { row.clear(); }
    void end_row() { rows->push_back(std::move(row)); }
    void cell(const char* p, size_t n, bool) { row.push_back(CsvWorksheet::typed(QString::fromUtf8(p, qsizetype(n)))); }
};

}

QVariant CsvWorksheet::typed(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (text.isEmpty())
        return {};
    if (number.match(text).hasMatch())
        return QLocale::c().toDouble(text.trimmed());
    if (text.size() == 10 && text.at(4) == QLatin1Char('-')) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            return date;
    }
    return text;
}

CsvWorksheet::CsvWorksheet(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1 cannot be opened.").arg(path));
    QByteArray text = file.readAll();
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    // The parser ends lines at LF only: line ends outside quotes become LF, line breaks
    // inside a quoted field stay as they are.
    QByteArray lines;
    lines.reserve(text.size());
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char ch = text.at(i);
        if (ch == '"')
            quoted = !quoted;
        if (ch == '\r' && !quoted) {
            if (i + 1 < text.size() && text.at(i + 1) == '\n')
                continue;
            lines += '\n';
            continue;
        }
        lines += ch;
    }
    text = std::move(lines);
    orcus::csv::parser_config config;
    config.delimiters.push_back(',');
    config.text_qualifier = '"';
    config.trim_cell_value = false;
    Collector collector{&m_rows, {}};
    try {
        orcus::csv_parser<Collector> parser(text.constData(), size_t(text.size()), collector, config);
        parser.parse();
    } catch (const std::exception& e) {
        throw AppError(WorkbookErrors::InvalidFile, kSource,
                       QStringLiteral("%1 is not a readable .csv file: %2").arg(path, QString::fromLocal8Bit(e.what())));
    }
    // A last line break does not start another row.
    while (!m_rows.isEmpty() && m_rows.last().size() <= 1 && (m_rows.last().isEmpty() || m_rows.last().first().isNull()))
        m_rows.removeLast();
    for (const auto& row : m_rows)
        m_columns = std::max(m_columns, int(row.size()));
}

QVariant CsvWorksheet::cell(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_rows[row].size())
        return {};
    return m_rows[row][column];
}
