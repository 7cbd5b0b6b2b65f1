#include "platform/ExportFile.h"

#include "platform/AppError.h"
#include "platform/PadText.h"

namespace {

const QString kSource = QStringLiteral("Export file");
constexpr int kWriteError = 75; // path/file access error

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

}

ExportFile::Format ExportFile::formatFor(const QString& path)
{
    return path.trimmed().endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? Format::Csv : Format::FixedWidth;
}

void ExportFile::fail(const QString& what)
{
    const QString description = QStringLiteral("%1 %2: %3").arg(what, m_file.fileName(), m_file.errorString());
    m_file.close();
    throw AppError(kWriteError, kSource, description);
}

void ExportFile::open(const QString& path, Format format, const QVector<int>& widths)
{
    if (m_file.isOpen())
        m_file.close();
    m_format = format;
    m_widths = widths;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("Cannot create"));
}

void ExportFile::writeRecord(const QStringList& fields)
{
    QString line;
    if (m_format == Format::Csv) {
        QStringList quoted;
        quoted.reserve(fields.size());
        for (const QString& f : fields)
            quoted << csvField(f);
        line = quoted.join(QLatin1Char(','));
    } else {
        for (int i = 0; i < fields.size(); ++i) {
            line += PadText(fields.at(i), i < m_widths.size() ? m_widths.at(i) : int(fields.at(i).size()));
            line += QLatin1Char(';');
        }
    }
    line += QLatin1String("\r\n");
    const QByteArray bytes = line.toUtf8();
    if (m_file.write(bytes) != bytes.size())
        fail(QStringLiteral("Cannot write"));
}

void ExportFile::close()
{
    if (!m_file.isOpen())
        return;
    if (!m_file.flush())
        fail(QStringLiteral("Cannot write"));
    m_file.close();
}
