#pragma once
#include <QString>

class QPagedPaintDevice;
class ReportDocument;

// Lays a report out on pages and paints them with Qt onto a printer, the print preview or
// a PDF writer. Every page carries a header (company name, title, selection, date printed)
// and the footer "Page n of m"; the label report fills label sheets instead.
class ReportRenderer {
public:
    explicit ReportRenderer(const ReportDocument& report) : m_report(report) {}

    // Sets the orientation and margins the layout asks for; call before painting.
    void preparePage(QPagedPaintDevice& device) const;
    // Paints the report and returns its page count. With pageLimit > 0 only that many
    // pages are painted (the page count and the footers still tell the whole report).
    int render(QPagedPaintDevice& device, int pageLimit = -1) const;
    // Writes the report to a PDF file. Throws AppError when the file cannot be written.
    int writePdf(const QString& path) const;

private:
    const ReportDocument& m_report;
};
