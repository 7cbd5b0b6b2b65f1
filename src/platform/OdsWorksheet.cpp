#include "platform/OdsWorksheet.h"

#include "platform/AppError.h"

#include <QDateTime>

namespace {

const QString kSource = QStringLiteral("Workbook reader");
constexpr int kColumnsAtMost = 16384;

// An office value attribute, whatever the prefix of its namespace.
QString officeValue(const QXmlStreamAttributes& a, QLatin1StringView name)
{
    for (const QXmlStreamAttribute& each : a)
        if (each.name() == name)
            return each.value().toString();
    return {};
}

}

OdsWorksheet::OdsWorksheet(const QString& path, const QString& sheetName) : m_path(path), m_zip(path)
{
    m_content = m_zip.open(QStringLiteral("content.xml"));
    m_xml.setDevice(m_content.get());
    while (!m_xml.atEnd() && !m_xml.hasError()) {
        if (m_xml.readNext() == QXmlStreamReader::StartElement && m_xml.name() == QLatin1String("table")
            && officeValue(m_xml.attributes(), QLatin1String("name")).compare(sheetName, Qt::CaseInsensitive) == 0) {
            m_inTable = true;
            return;
        }
    }
    if (m_xml.hasError())
        damaged(m_xml.errorString());
    throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1 has no worksheet named %2.").arg(path, sheetName));
}

OdsWorksheet::~OdsWorksheet() = default;

void OdsWorksheet::damaged(const QString& why) const
{
    throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1 cannot be read as a workbook: %2").arg(m_path, why));
}

bool OdsWorksheet::next(WorksheetRow& row)
{
    while (true) {
        if (m_repeats > 0) {
            --m_repeats;
            row.number = ++m_rowNumber;
            row.cells = m_repeated.cells;
            return true;
        }
        if (!readRow(m_repeated))
            return false;
    }
}

// Reads the next row element into `row`, setting how often it is given; empty rows only
// move the row number on. False at the end of the table.
bool OdsWorksheet::readRow(WorksheetRow& row)
{
    while (m_inTable && !m_xml.atEnd() && !m_xml.hasError()) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::EndElement && m_xml.name() == QLatin1String("table"))
            m_inTable = false;
        if (token != QXmlStreamReader::StartElement || m_xml.name() != QLatin1String("table-row"))
            continue;
        const int repeated = std::max(1, officeValue(m_xml.attributes(), QLatin1String("number-rows-repeated")).toInt());
        row.cells.clear();
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name != QLatin1String("table-cell") && name != QLatin1String("covered-table-cell")) {
                m_xml.skipCurrentElement();
                continue;
            }
            const int times = std::max(1, officeValue(m_xml.attributes(), QLatin1String("number-columns-repeated")).toInt());
            const QVariant value = readCell();
            const qsizetype upTo = std::min<qsizetype>(kColumnsAtMost, row.cells.size() + times);
            if (value.isNull()) {
                // Empty cells only take room when a value follows them.
                row.cells.resize(upTo, QVariant());
                continue;
            }
            while (row.cells.size() < upTo)
                row.cells.push_back(value);
        }
        while (!row.cells.isEmpty() && row.cells.last().isNull())
            row.cells.removeLast();
        if (row.cells.isEmpty()) {
            m_rowNumber += repeated;
            continue;
        }
        m_repeats = repeated;
        return true;
    }
    if (m_xml.hasError())
        damaged(m_xml.errorString());
    return false;
}

QVariant OdsWorksheet::readCell()
{
    const QXmlStreamAttributes a = m_xml.attributes();
    const QString type = officeValue(a, QLatin1String("value-type"));
    const QString text = readText();
    if (type == QLatin1String("float") || type == QLatin1String("percentage") || type == QLatin1String("currency")) {
        bool ok = false;
        const double number = officeValue(a, QLatin1String("value")).toDouble(&ok);
        if (!ok)
            damaged(QStringLiteral("number %1").arg(officeValue(a, QLatin1String("value"))));
        return number;
    }
    if (type == QLatin1String("date")) {
        const QString value = officeValue(a, QLatin1String("date-value"));
        const QDateTime moment = QDateTime::fromString(value.left(19), Qt::ISODate);
        if (value.size() == 10)
            return QDate::fromString(value, Qt::ISODate);
        return moment.time() == QTime(0, 0) ? QVariant(moment.date()) : QVariant(moment);
    }
    if (type == QLatin1String("boolean"))
        return officeValue(a, QLatin1String("boolean-value")) == QLatin1String("true") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == QLatin1String("string")) {
        const QString value = officeValue(a, QLatin1String("string-value"));
        return value.isEmpty() ? text : value;
    }
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// The paragraphs of the current cell, joined by line breaks; spaces, tabs and line breaks
// written as elements are given back as characters. Ends after the cell's end element.
QString OdsWorksheet::readText()
{
    QString text;
    int depth = 1;
    int paragraphs = 0;
    while (depth > 0 && !m_xml.atEnd() && !m_xml.hasError()) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::Characters && depth >= 2)
            text += m_xml.text();
        else if (token == QXmlStreamReader::EndElement)
            --depth;
        else if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QStringView name = m_xml.name();
            if (name == QLatin1String("p") && paragraphs++ > 0)
                text += QLatin1Char('\n');
            else if (name == QLatin1String("s"))
                text += QString(std::clamp(officeValue(m_xml.attributes(), QLatin1String("c")).toInt(), 1, 1024), QLatin1Char(' '));
            else if (name == QLatin1String("tab"))
                text += QLatin1Char('\t');
            else if (name == QLatin1String("line-break"))
                text += QLatin1Char('\n');
            else if (name == QLatin1String("annotation")) {
                m_xml.skipCurrentElement();
                --depth;
            }
        }
    }
    if (m_xml.hasError())
        damaged(m_xml.errorString());
    return text;
}
