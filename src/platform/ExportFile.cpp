#include "platform/ExportFile.h"

#include "platform/AppError.h"
#include "platform/PadText.h"

#include <QFileInfo>

namespace {

const QString kSource = QStringLiteral("Export file");
constexpr int kWriteError = 75; // path/file access error
constexpr qsizetype kWriteAbove = 1 << 16;

// A text a spreadsheet would take for a formula ("=", "+", "-", "@", tab, CR first) gets a
// leading "'", so that opening the file runs nothing.
bool looksLikeFormula(QByteArrayView field)
{
    return !field.isEmpty() && QByteArrayView("=+-@\t\r").contains(field.front());
}

// A line break inside a value would start a new line of a fixed-width file: it is a blank.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString csvField(const QString& value)
{
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    for (QChar ch : value)
        quote = quote || special.contains(ch);
    if (!quote)
        return value;
    QString v = value;
    v.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

bool isAscii(QByteArrayView text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// A blank as QString::trimmed() sees one, among ASCII characters.
bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}

ExportFile::Format ExportFile::formatFor(const QString& path)
{
    return path.trimmed().endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? Format::Csv : Format::FixedWidth;
}

int ExportFile::textWidth(QByteArrayView field)
{
    if (!isAscii(field) || field.contains('\n') || field.contains('\r'))
        return CharacterCount(oneLine(QString::fromUtf8(field)).trimmed());
    qsizetype from = 0, to = field.size();
    while (from < to && isBlank(field[from]))
        ++from;
    while (to > from && isBlank(field[to - 1]))
        --to;
    return int(to - from);
}

void ExportFile::fail(const QString& what)
{
    const QString description = QStringLiteral("%1 %2: %3").arg(what, m_file.fileName(), m_file.errorString());
    m_file.cancelWriting();
    m_file.commit();
    throw AppError(kWriteError, kSource, description);
}

void ExportFile::open(const QString& path, Format format, const QVector<int>& widths)
{
    discard();
    m_format = format;
    m_widths = widths;
    m_buffer.clear();
    m_buffer.reserve(kWriteAbove + 4096);
    m_file.setFileName(path);
    // Only a regular file the user may write is replaced (not a device, not a read-only file,
    // whoever runs the program).
    const QFileInfo existing(path);
    if (existing.exists() && (!existing.isFile() || !(existing.permissions() & QFileDevice::WriteOwner)))
        throw AppError(kWriteError, kSource, QStringLiteral("Cannot replace %1: it is not a writable file.").arg(path));
    if (!m_file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot create"));
}

void ExportFile::writeRecord(const QStringList& fields)
{
    QVector<QByteArray> texts;
    QVector<QByteArrayView> views;
    for (const QString& f : fields)
        texts << f.toUtf8();
    for (const QByteArray& t : texts)
        views << t;
    writeFields(views);
}

// ASCII fields are handled as bytes; any other goes through QString, which trims and counts
// characters as the screens do.
void ExportFile::appendFixed(QByteArrayView field, int width)
{
    if (!isAscii(field) || field.contains('\n') || field.contains('\r')) {
        m_buffer += PadText(oneLine(QString::fromUtf8(field)), width).toUtf8();
        return;
    }
    qsizetype from = 0, to = field.size();
    while (from < to && isBlank(field[from]))
        ++from;
    while (to > from && isBlank(field[to - 1]))
        --to;
    const qsizetype kept = std::min<qsizetype>(to - from, width);
    m_buffer.append(field.data() + from, kept);
    m_buffer.append(width - kept, ' ');
}

void ExportFile::appendCsv(QByteArrayView field)
{
    if (looksLikeFormula(field)) {
        const QByteArray defused = '\'' + field.toByteArray();
        appendCsv(defused);
        return;
    }
    if (!isAscii(field)) {
        m_buffer += csvField(QString::fromUtf8(field)).toUtf8();
        return;
    }
    bool quote = !field.isEmpty() && (isBlank(field.front()) || isBlank(field.back()));
    for (char c : field)
        quote = quote || c == ',' || c == '"' || c == '\r' || c == '\n';
    if (!quote) {
        m_buffer.append(field);
        return;
    }
    m_buffer += '"';
    for (char c : field) {
        if (c == '"')
            m_buffer += '"';
        m_buffer += c;
    }
    m_buffer += '"';
}

void ExportFile::writeFields(const QVector<QByteArrayView>& fields)
{
    for (int i = 0; i < fields.size(); ++i) {
        if (m_format == Format::Csv) {
            if (i > 0)
                m_buffer += ',';
            appendCsv(fields.at(i));
        } else {
            appendFixed(fields.at(i), i < m_widths.size() ? m_widths.at(i) : int(QString::fromUtf8(fields.at(i)).size()));
            m_buffer += ';';
        }
    }
    m_buffer += "\r\n";
    if (m_buffer.size() >= kWriteAbove)
        writeBuffer();
}

void ExportFile::writeBuffer()
{
    if (!m_file.isOpen() || m_file.write(m_buffer) != m_buffer.size())
        fail(QStringLiteral("Cannot write"));
    m_buffer.resize(0);
}

void ExportFile::close()
{
    if (!m_file.isOpen())
        return;
    writeBuffer();
    if (!m_file.commit())
        fail(QStringLiteral("Cannot write"));
}

void ExportFile::discard()
{
    m_buffer.clear();
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit();
    }
}
