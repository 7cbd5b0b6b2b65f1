#include "platform/XlsxWorksheet.h"

#include "platform/AppError.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>

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

struct Relation {
    QString type;
    QString target;
};

// A cell reference's column, counted from 0 ("C7" gives 2); -1 when there is none.
int columnOf(const QString& reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference.at(i).isLetter(); ++i)
        column = column * 26 + (reference.at(i).toUpper().unicode() - 'A' + 1);
    return i == 0 ? -1 : column - 1;
}

// The text of a string item (<si>, <is>): its runs' texts, phonetic hints left out.
QString itemText(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1, hints = 0;
    while (depth > 0 && !xml.atEnd() && !xml.hasError()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            hints -= xml.name() == QLatin1String("rPh");
        } else if (token == QXmlStreamReader::StartElement) {
            hints += xml.name() == QLatin1String("rPh");
            if (xml.name() == QLatin1String("t") && hints == 0)
                text += xml.readElementText();
            else
                ++depth;
        }
    }
    return text;
}

}

XlsxWorksheet::XlsxWorksheet(const QString& path, const QString& sheetName) : m_path(path), m_zip(path)
{
    auto relations = [&](const QString& part) {
        QHash<QString, Relation> found;
        const QString name = relationsOf(part);
        if (!m_zip.contains(name))
            return found;
        const std::unique_ptr<QIODevice> device = m_zip.open(name);
        QXmlStreamReader xml(device.get());
        while (!xml.atEnd() && !xml.hasError())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship")) {
                const QXmlStreamAttributes a = xml.attributes();
                found.insert(a.value(QLatin1String("Id")).toString(),
                             {a.value(QLatin1String("Type")).toString(), partName(folderOf(part), a.value(QLatin1String("Target")).toString())});
            }
        if (xml.hasError())
            damaged(xml.errorString());
        return found;
    };
    QString workbook = QStringLiteral("xl/workbook.xml");
    for (const Relation& r : relations(QString()))
        if (r.type.endsWith(QLatin1String("/officeDocument")))
            workbook = r.target;
    const QHash<QString, Relation> parts = relations(workbook);
    QString sheetPart;
    {
        const std::unique_ptr<QIODevice> device = m_zip.open(workbook);
        QXmlStreamReader xml(device.get());
        while (!xml.atEnd() && !xml.hasError()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QLatin1String("workbookPr"))
                m_1904 = a.value(QLatin1String("date1904")) == QLatin1String("1") || a.value(QLatin1String("date1904")) == QLatin1String("true");
            else if (xml.name() == QLatin1String("sheet") && sheetPart.isEmpty()
                     && a.value(QLatin1String("name")).compare(sheetName, Qt::CaseInsensitive) == 0)
                for (const QXmlStreamAttribute& attribute : a)
                    if (attribute.name() == QLatin1String("id"))
                        sheetPart = parts.value(attribute.value().toString()).target;
        }
        if (xml.hasError())
            damaged(xml.errorString());
    }
    if (sheetPart.isEmpty())
        throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1 has no worksheet named %2.").arg(path, sheetName));
    for (const Relation& r : parts) {
        if (r.type.endsWith(QLatin1String("/sharedStrings")))
            readStrings(r.target);
        else if (r.type.endsWith(QLatin1String("/styles")))
            readStyles(r.target);
    }
    m_sheetPart = m_zip.open(sheetPart);
    m_xml.setDevice(m_sheetPart.get());
}

XlsxWorksheet::~XlsxWorksheet() = default;

void XlsxWorksheet::damaged(const QString& why) const
{
    throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1 cannot be read as a workbook: %2").arg(m_path, why));
}

void XlsxWorksheet::readStrings(const QString& part)
{
    const std::unique_ptr<QIODevice> device = m_zip.open(part);
    QXmlStreamReader xml(device.get());
    while (!xml.atEnd() && !xml.hasError())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si")) {
            m_strings += itemText(xml).toUtf8();
            m_stringEnds << m_strings.size();
        }
    if (xml.hasError())
        damaged(xml.errorString());
    m_strings.squeeze();
    m_stringEnds.squeeze();
}

void XlsxWorksheet::readStyles(const QString& part)
{
    const std::unique_ptr<QIODevice> device = m_zip.open(part);
    QXmlStreamReader xml(device.get());
    QSet<int> dateFormats;
    bool inCellFormats = false;
    int index = 0;
    while (!xml.atEnd() && !xml.hasError()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs"))
            inCellFormats = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("numFmt") && isDateFormatCode(a.value(QLatin1String("formatCode")).toString()))
            dateFormats.insert(a.value(QLatin1String("numFmtId")).toInt());
        else if (xml.name() == QLatin1String("cellXfs"))
            inCellFormats = true;
        else if (inCellFormats && xml.name() == QLatin1String("xf")) {
            const int id = a.value(QLatin1String("numFmtId")).toInt();
            if (isBuiltInDateFormat(id) || dateFormats.contains(id))
                m_dateStyles.insert(index);
            ++index;
        }
    }
    if (xml.hasError())
        damaged(xml.errorString());
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
    while (!m_xml.atEnd() && !m_xml.hasError()) {
        if (m_xml.readNext() != QXmlStreamReader::StartElement || m_xml.name() != QLatin1String("row"))
            continue;
        const int number = m_xml.attributes().value(QLatin1String("r")).toInt();
        row.number = number > 0 ? number : m_lastRow + 1;
        m_lastRow = row.number;
        row.cells.clear();
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != QLatin1String("c")) {
                m_xml.skipCurrentElement();
                continue;
            }
            QString reference;
            const QVariant value = readCell(&reference);
            const int column = reference.isEmpty() ? int(row.cells.size()) : columnOf(reference);
            if (column < 0 || column >= 16384)
                damaged(QStringLiteral("cell reference %1").arg(reference));
            if (row.cells.size() <= column)
                row.cells.resize(column + 1);
            row.cells[column] = value;
        }
        if (m_xml.hasError())
            damaged(m_xml.errorString());
        return true;
    }
    if (m_xml.hasError())
        damaged(m_xml.errorString());
    return false;
}

QVariant XlsxWorksheet::readCell(QString* reference)
{
    const QXmlStreamAttributes a = m_xml.attributes();
    *reference = a.value(QLatin1String("r")).toString();
    const QString type = a.value(QLatin1String("t")).toString();
    const int style = a.value(QLatin1String("s")).toInt();
    QString value;
    bool hasValue = false;
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() == QLatin1String("v")) {
            value = m_xml.readElementText();
            hasValue = true;
        } else if (m_xml.name() == QLatin1String("is")) {
            value = itemText(m_xml);
            hasValue = true;
        } else {
            m_xml.skipCurrentElement();
        }
    }
    if (!hasValue)
        return {};
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= m_stringEnds.size())
            damaged(QStringLiteral("shared string %1").arg(value));
        const qsizetype start = index == 0 ? 0 : m_stringEnds.at(index - 1);
        const qsizetype size = m_stringEnds.at(index) - start;
        return size == 0 ? QString() : QString::fromUtf8(m_strings.constData() + start, size);
    }
    if (type == QLatin1String("str") || type == QLatin1String("inlineStr") || type == QLatin1String("e"))
        return value;
    if (type == QLatin1String("b"))
        return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == QLatin1String("d")) {
        const QDateTime moment = QDateTime::fromString(value, Qt::ISODate);
        return moment.time() == QTime(0, 0) ? QVariant(moment.date()) : QVariant(moment);
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        damaged(QStringLiteral("number %1").arg(value));
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
