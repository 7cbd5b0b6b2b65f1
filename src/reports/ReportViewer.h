#pragma once
#include <QPrinter>
#include <QWidget>
#include <functional>

class AppError;
class QLabel;
class QPrintPreviewWidget;
class QToolButton;
class ReportDocument;

// The print preview of a report: pages at 80 % zoom, zoom and page navigation, Print (the
// system's print dialog) and "Save as PDF". On a long report the first page shows at once
// and the later pages follow.
class ReportViewer : public QWidget {
    Q_OBJECT
public:
    explicit ReportViewer(QWidget* parent = nullptr);
    ~ReportViewer() override;

    // Shows a report (not owned; it must outlive its showing). nullptr shows nothing.
    void setReport(const ReportDocument* report);
    // Failures while printing or saving are handed here (the program's error handler).
    void setErrorHandler(std::function<void(const AppError&)> handler) { m_onError = std::move(handler); }

    int pageCount() const;
    int currentPage() const;
    double zoomFactor() const;
    // True while only the first page has been laid on the preview.
    bool isBusy() const { return m_pageLimit > 0; }

public slots:
    void print();              // the print dialog, then the printer
    void saveAsPdf();          // a save dialog, then savePdf
    bool savePdf(const QString& path);
    void showPage(int page);

signals:
    // Every page is on the preview.
    void finished();

private:
    void paintPages(QPrinter* printer);
    void refresh();
    void report(const AppError& error);
    QToolButton* button(const QString& text, const QString& tip, const char* name);

    QPrinter m_printer;
    QPrintPreviewWidget* m_preview = nullptr;
    QLabel* m_pageLabel = nullptr;
    QLabel* m_zoomLabel = nullptr;
    const ReportDocument* m_report = nullptr;
    int m_pageLimit = 0; // > 0: paint only this many pages (the first showing)
    int m_pages = 0;
    std::function<void(const AppError&)> m_onError;
};
