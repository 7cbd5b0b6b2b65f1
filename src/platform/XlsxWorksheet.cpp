#include "platform/XlsxWorksheet.h"

#include "platform/AppError.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>

#include <charconv>

#include <cmath>

namespace {

const QString kSource = QStringLiteral("Workbook reader");

// Number format ids that the format reserves for dates and times of day.
bool isBuiltInDateFormat(int id) { return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58); }

// The part a relationship's target names, from the folder of the part that holds it.
QString partName(const QString& folder, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QStringList parts = folder.isEmpty() ? QStringList() : folder.split(QLatin1Char('/'));
    for (const QString& step : target.split(QLatin1Char('/'))) {
        if (step == QLatin1String(".."))
            parts.removeLast();
        else if (step != QLatin1String("."))
            parts << step;
    }
    return parts.join(QLatin1Char('/'));
}

QString folderOf(const QString& part) { return part.section(QLatin1Char('/'), 0, -2); }
QString relationsOf(const QString& part) { return partName(folderOf(part), QStringLiteral("_rels/") + part.section(QLatin1Char('/'), -1) + QStringLiteral(".rels")); }

// A whole number as the part writes it ("12"); 0 for none.
int wholeNumber(std::string_view digits)
{
    int n = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return n;
}

// A cell reference's column, counted from 0 ("C7" gives 2); -1 when there is none, past the
// last column when it is longer than any.
int columnOf(std::string_view reference)
{
    int column = 0;
    size_t i = 0;
    for (; i < reference.size() && i < 4; ++i) {
        const char c = reference[i];
        if (c >= 'a' && c <= 'z')
            column = column * 26 + (c - 'a' + 1);
        else if (c >= 'A' && c <= 'Z')
            column = column * 26 + (c - 'A' + 1);
        else
            break;
    }
    return i == 0 ? -1 : column - 1;
}

// The text of a string item (<si>, <is>): its runs' texts, phonetic hints left out.
void appendItemText(XmlPartReader& xml, QByteArray& out)
{
    const int item = xml.depth();
    while (xml.nextChild(item)) {
        if (xml.is("t")) {
            xml.appendText(out);
        } else if (xml.is("r")) {
            const int run = xml.depth();
            while (xml.nextChild(run))
                if (xml.is("t"))
                    xml.appendText(out);
        }
    }
}

// What a cell's value is, by its t attribute; formula texts (str), inline strings and errors
// are texts alike.
enum class CellType { Number, Shared, Text, Boolean, Date };

CellType cellType(std::string_view t)
{
    if (t == "s")
        return CellType::Shared;
    if (t == "str" || t == "inlineStr" || t == "e")
        return CellType::Text;
    if (t == "b")
        return CellType::Boolean;
    return t == "d" ? CellType::Date : CellType::Number;
}

bool isTrue(std::string_view value) { return value == "1" || value == "true"; }

}

XlsxWorksheet::XlsxWorksheet(const QString& path, const QString& sheetName) : m_path(path), m_zip(path)
{
    QString workbook = QStringLiteral("xl/workbook.xml");
    for (const Relation& r : relations(QString()))
        if (r.type.endsWith(QLatin1String("/officeDocument")))
            workbook = r.target;
    const QHash<QString, Relation> parts = relations(workbook);
    QString sheetPart;
    for (XmlPartReader xml = openPart(workbook); xml.nextStart();) {
        if (xml.is("workbookPr"))
            m_1904 = isTrue(xml.attribute("date1904"));
        else if (xml.is("sheet") && sheetPart.isEmpty() && xml.attributeText("name").compare(sheetName, Qt::CaseInsensitive) == 0)
            sheetPart = parts.value(xml.attributeText("id")).target;
    }
    if (sheetPart.isEmpty())
        throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1 has no worksheet named %2.").arg(path, sheetName));
    for (const Relation& r : parts) {
        if (r.type.endsWith(QLatin1String("/sharedStrings")))
            readStrings(r.target);
        else if (r.type.endsWith(QLatin1String("/styles")))
            readStyles(r.target);
    }
    m_sheet = std::make_unique<XmlPartReader>(openPart(sheetPart));
}

XlsxWorksheet::~XlsxWorksheet() = default;

void XlsxWorksheet::damaged(const QString& why) const
{
    throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1 cannot be read as a workbook: %2").arg(m_path, why));
}

XmlPartReader XlsxWorksheet::openPart(const QString& part)
{
    return XmlPartReader(m_zip.open(part), QStringLiteral("%1 (%2)").arg(m_path, part));
}

// The relationships of a part (of the package for none), by id.
QHash<QString, XlsxWorksheet::Relation> XlsxWorksheet::relations(const QString& part)
{
    QHash<QString, Relation> found;
    const QString name = relationsOf(part);
    if (!m_zip.contains(name))
        return found;
    for (XmlPartReader xml = openPart(name); xml.nextStart();)
        if (xml.is("Relationship"))
            found.insert(xml.attributeText("Id"), {xml.attributeText("Type"), partName(folderOf(part), xml.attributeText("Target"))});
    return found;
}

void XlsxWorksheet::readStrings(const QString& part)
{
    for (XmlPartReader xml = openPart(part); xml.nextStart();)
        if (xml.is("si")) {
            appendItemText(xml, m_strings);
            m_stringEnds << m_strings.size();
        }
    m_strings.squeeze();
    m_stringEnds.squeeze();
}

void XlsxWorksheet::readStyles(const QString& part)
{
    XmlPartReader xml = openPart(part);
    QSet<int> dateFormats;
    bool inCellFormats = false;
    int index = 0;
    for (XmlPartReader::Token t; (t = xml.next()) != XmlPartReader::Token::Done;) {
        if (t == XmlPartReader::Token::End) {
            inCellFormats = inCellFormats && !xml.is("cellXfs");
        } else if (xml.is("numFmt")) {
            if (isDateFormatCode(xml.attributeText("formatCode")))
                dateFormats.insert(wholeNumber(xml.attribute("numFmtId")));
        } else if (xml.is("cellXfs")) {
            inCellFormats = true;
        } else if (inCellFormats && xml.is("xf")) {
            const int id = wholeNumber(xml.attribute("numFmtId"));
            if (isBuiltInDateFormat(id) || dateFormats.contains(id))
                m_dateStyles.insert(index);
            ++index;
        }
    }
}

bool XlsxWorksheet::isDateFormatCode(const QString& code)
{
    // Quoted texts, escaped characters and [colour]/[locale] sections say nothing of dates.
    static const QRegularExpression noise(QStringLiteral(R"("[^"]*"|\\.|\[[^\]]*\])"));
    QString bare = code;
    bare.remove(noise);
    bare = bare.toLower();
    if (bare.contains(QLatin1Char('d')) || bare.contains(QLatin1Char('y')))
        return true;
    // "m" alone is a month; beside hours or seconds it is minutes.
    return bare.contains(QLatin1Char('m')) && !bare.contains(QLatin1Char('h')) && !bare.contains(QLatin1Char('s'));
}

bool XlsxWorksheet::next(WorksheetRow& row)
{
    XmlPartReader& xml = *m_sheet;
    do {
        if (!xml.nextStart())
            return false;
    } while (!xml.is("row"));
    const int number = wholeNumber(xml.attribute("r"));
    row.number = number > 0 ? number : m_lastRow + 1;
    m_lastRow = row.number;
    row.cells.clear();
    const int depth = xml.depth();
    while (xml.nextChild(depth)) {
        if (!xml.is("c"))
            continue;
        const std::string_view reference = xml.attribute("r");
        const int column = reference.empty() ? int(row.cells.size()) : columnOf(reference);
        if (column < 0 || column >= 16384)
            damaged(QStringLiteral("cell reference %1").arg(QString::fromUtf8(reference.data(), qsizetype(reference.size()))));
        const QVariant value = readCell();
        if (row.cells.size() <= column)
            row.cells.resize(column + 1);
        row.cells[column] = value;
    }
    return true;
}

QVariant XlsxWorksheet::readCell()
{
    XmlPartReader& xml = *m_sheet;
    const CellType type = cellType(xml.attribute("t"));
    const int style = wholeNumber(xml.attribute("s"));
    bool hasValue = false;
    const int depth = xml.depth();
    while (xml.nextChild(depth)) {
        if (xml.is("v") || xml.is("is")) {
            m_value.clear();
            if (xml.is("v"))
                xml.appendText(m_value);
            else
                appendItemText(xml, m_value);
            hasValue = true;
        }
    }
    if (!hasValue)
        return {};
    switch (type) {
    case CellType::Shared: {
        int index = -1;
        const auto [end, error] = std::from_chars(m_value.constData(), m_value.constData() + m_value.size(), index);
        if (error != std::errc() || end != m_value.constData() + m_value.size() || index < 0 || index >= m_stringEnds.size())
            damaged(QStringLiteral("shared string %1").arg(QString::fromUtf8(m_value)));
        const qsizetype start = index == 0 ? 0 : m_stringEnds.at(index - 1);
        const qsizetype size = m_stringEnds.at(index) - start;
        return size == 0 ? QString() : QString::fromUtf8(m_strings.constData() + start, size);
    }
    case CellType::Text:
        return QString::fromUtf8(m_value);
    case CellType::Boolean:
        return m_value == "1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case CellType::Date: {
        const QDateTime moment = QDateTime::fromString(QString::fromLatin1(m_value), Qt::ISODate);
        return moment.time() == QTime(0, 0) ? QVariant(moment.date()) : QVariant(moment);
    }
    case CellType::Number:
        break;
    }
    bool ok = false;
    const double number = m_value.toDouble(&ok);
    if (!ok)
        damaged(QStringLiteral("number %1").arg(QString::fromUtf8(m_value)));
    if (!m_dateStyles.contains(style))
        return number;
    const QDate origin = m_1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double days = std::floor(number);
    const QDate date = origin.addDays(qint64(days));
    const int seconds = int(std::lround((number - days) * 86400.0));
    if (seconds == 0)
        return date;
    return QDateTime(date, QTime(0, 0).addSecs(seconds));
}
