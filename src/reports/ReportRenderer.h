#pragma once
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class ReportDocument;

// Lays a report out on pages and paints them with Qt onto a printer, the print preview or
// a PDF writer. Every page carries a header (company name, title, selection, date printed)
// and the footer "Page n of m"; the label report fills label sheets instead.
class ReportRenderer {
public:
    // The pages to paint, counted from 1; last 0 runs to the end.
    struct PageRange {
        int first;
        int last;
    };
    // The sheet a report goes on.
    struct Paper {
        QPageSize::PageSizeId size = QPageSize::A4;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
    };
    // Called after each painted page with its number and the page count; false stops.
    using Progress = std::function<bool(int page, int pages)>;

    explicit ReportRenderer(const ReportDocument& report) : m_report(report) {}

    // The paper of the locale: Letter where it measures in inches, A4 elsewhere.
    static QPageSize::PageSizeId localePaper();
    // The locale's paper in the orientation the layout asks for.
    Paper defaultPaper() const { return {localePaper(), layoutOrientation()}; }
    QPageLayout::Orientation layoutOrientation() const;
    // A paper size by name ("A4", "Letter", any letter case); false when there is none.
    static bool paperSize(const QString& name, QPageSize::PageSizeId* size);

    // Sets the orientation and margins; call before painting.
    void preparePage(QPagedPaintDevice& device) const;
    void preparePage(QPagedPaintDevice& device, QPageLayout::Orientation orientation) const;
    // Paints the pages of range and returns the report's page count (the footers tell the
    // whole report whatever is painted).
    int render(QPagedPaintDevice& device, PageRange range = PageRange{1, 0}, const Progress& progress = {}) const;
    // Writes the whole report to a PDF file through a temporary file that replaces path only
    // once every page is written. Throws AppError (and leaves path as it was) when it cannot.
    // Returns the page count, or 0 when progress stopped it (path is left as it was).
    int writePdf(const QString& path, const Paper& paper, const Progress& progress = {}) const;
    int writePdf(const QString& path) const { return writePdf(path, defaultPaper()); }

private:
    const ReportDocument& m_report;
};
