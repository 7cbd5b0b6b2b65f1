#include "platform/WorksheetRows.h"

#include "platform/AppError.h"
#include "platform/CsvWorksheet.h"
#include "platform/OdsWorksheet.h"
#include "platform/XlsWorksheet.h"
#include "platform/XlsxWorksheet.h"
#include "platform/ZipArchive.h"

#include <QFile>
#include <QFileInfo>

std::unique_ptr<WorksheetRows> WorksheetRows::open(const QString& path, const QString& sheetName)
{
    const QString source = QStringLiteral("Workbook reader");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(WorkbookErrors::InvalidFile, source, QStringLiteral("%1 cannot be opened.").arg(path));
    if (QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return std::make_unique<CsvWorksheet>(path);
    // A legacy workbook is a compound document; it starts with its fixed signature.
    const QByteArray start = file.peek(8);
    if (start == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return std::make_unique<XlsWorksheet>(path, sheetName);
    if (start.startsWith("PK\x03\x04")) {
        // An OpenDocument package keeps its cells in content.xml.
        if (ZipArchive(path).contains(QStringLiteral("content.xml")))
            return std::make_unique<OdsWorksheet>(path, sheetName);
        return std::make_unique<XlsxWorksheet>(path, sheetName);
    }
    throw AppError(WorkbookErrors::InvalidFile, source, QStringLiteral("%1 is not an .xlsx, .ods or .xls workbook.").arg(path));
}
