#include "platform/CsvWorksheet.h"

#include "platform/AppError.h"

#include <QFile>
#include <QStringDecoder>

namespace {

const QString kSource = QStringLiteral("Workbook reader");

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F); the five unassigned bytes keep
// their control characters, as Windows itself maps them.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes.at(i));
        text[i] = (b >= 0x80 && b < 0xA0) ? QChar(kWindows1252[b - 0x80]) : QChar(b);
    }
    return text;
}

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

}

QString CsvWorksheet::decode(const QByteArray& bytes, bool* ok)
{
    if (ok)
        *ok = true;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        const std::optional<QString> text = strictUtf8(QByteArrayView(bytes).sliced(3));
        if (!text && ok)
            *ok = false;
        return text.value_or(QString());
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return decoder.decode(QByteArrayView(bytes).sliced(2));
    }
    if (const std::optional<QString> text = strictUtf8(bytes))
        return *text;
    return fromWindows1252(bytes);
}

QChar CsvWorksheet::separator(const QString& text)
{
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (QChar ch : text) {
        if (ch == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (ch == QLatin1Char('\n') || ch == QLatin1Char('\r')))
            break;
        else if (!quoted) {
            commas += ch == QLatin1Char(',');
            semicolons += ch == QLatin1Char(';');
            tabs += ch == QLatin1Char('\t');
        }
    }
    if (semicolons > commas && semicolons >= tabs)
        return QLatin1Char(';');
    if (tabs > commas)
        return QLatin1Char('\t');
    return QLatin1Char(',');
}

CsvWorksheet::CsvWorksheet(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(WorkbookErrors::InvalidFile, kSource, QStringLiteral("%1 cannot be opened.").arg(path));
    bool ok = true;
    m_text = decode(file.readAll(), &ok);
    if (!ok)
        throw AppError(WorkbookErrors::InvalidFile, kSource,
                       QStringLiteral("%1 is marked as UTF-8 but holds bytes that are not.").arg(path));
    m_separator = separator(m_text);
}

bool CsvWorksheet::next(WorksheetRow& row)
{
    const qsizetype size = m_text.size();
    if (m_at >= size)
        return false;
    row.cells.clear();
    row.number = ++m_line;
    QString field;
    bool quoted = false, wasQuoted = false;
    auto endField = [&] {
        row.cells.push_back(field.isEmpty() && !wasQuoted ? QVariant() : QVariant(field));
        field.clear();
        wasQuoted = false;
    };
    while (m_at < size) {
        const QChar ch = m_text.at(m_at++);
        if (quoted) {
            if (ch != QLatin1Char('"'))
                field += ch;
            else if (m_at < size && m_text.at(m_at) == QLatin1Char('"'))
                field += QChar(m_text.at(m_at++));
            else
                quoted = false;
        } else if (ch == QLatin1Char('"')) {
            quoted = wasQuoted = true;
        } else if (ch == m_separator) {
            endField();
        } else if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            if (ch == QLatin1Char('\r') && m_at < size && m_text.at(m_at) == QLatin1Char('\n'))
                ++m_at;
            break;
        } else {
            field += ch;
        }
    }
    endField();
    return true;
}
