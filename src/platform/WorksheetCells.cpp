#include "platform/WorksheetCells.h"

#include "platform/AppError.h"
#include "platform/CsvWorksheet.h"
#include "platform/OrcusWorksheet.h"
#include "platform/XlsWorksheet.h"

#include <QFile>
#include <QFileInfo>

#include <orcus/format_detection.hpp>

std::unique_ptr<WorksheetCells> WorksheetCells::read(const QString& path, const QString& sheetName)
{
    const QString source = QStringLiteral("Workbook reader");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(WorkbookErrors::InvalidFile, source, QStringLiteral("%1 cannot be opened.").arg(path));
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return std::make_unique<CsvWorksheet>(path);
    // A legacy workbook is a compound document; it starts with its fixed signature.
    static const QByteArray compoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (file.peek(8) == compoundSignature)
        return std::make_unique<XlsWorksheet>(path, sheetName);
    const QByteArray content = file.readAll();
    orcus::format_t format = orcus::format_t::unknown;
    try {
        format = orcus::detect(reinterpret_cast<const unsigned char*>(content.constData()), size_t(content.size()));
    } catch (const std::exception&) {
    }
    switch (format) {
    case orcus::format_t::xlsx:
        return std::make_unique<OrcusWorksheet>(path, OrcusWorksheet::Format::Xlsx, sheetName);
    case orcus::format_t::ods:
        return std::make_unique<OrcusWorksheet>(path, OrcusWorksheet::Format::Ods, sheetName);
    default:
        throw AppError(WorkbookErrors::InvalidFile, source,
                       QStringLiteral("%1 is not an .xlsx, .ods or .xls workbook.").arg(path));
    }
}
