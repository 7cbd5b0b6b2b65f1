#pragma once
#include "reports/ReportRenderer.h"

#include <QPrinter>
#include <QWidget>
#include <functional>

class AppError;
class QComboBox;
class QLabel;
class QPrintPreviewWidget;
class QSpinBox;
class QToolButton;
class ReportDocument;

// The print preview of a report: pages at 80 % zoom, zoom and fit to width, a page box and
// page navigation, the paper and its orientation, Print (the system's print dialog) and
// "Save as PDF". The first page shows at once; the later pages are laid out in steps that
// keep the window live, and Stop ends the laying out with the pages done so far.
class ReportViewer : public QWidget {
    Q_OBJECT
public:
    explicit ReportViewer(QWidget* parent = nullptr);
    ~ReportViewer() override;

    // Shows a report (not owned; it must outlive its showing). nullptr shows nothing.
    void setReport(const ReportDocument* report);
    // Failures while printing or saving are handed here (the program's error handler).
    void setErrorHandler(std::function<void(const AppError&)> handler) { m_onError = std::move(handler); }

    // The paper of the preview, of printing and of a saved PDF.
    ReportRenderer::Paper paper() const { return m_paper; }
    void setPaper(const ReportRenderer::Paper& paper);

    int pageCount() const; // the pages on the preview
    int reportPages() const { return m_pages; } // the pages of the whole report
    int currentPage() const;
    double zoomFactor() const;
    // True until every page is laid on the preview or the laying out is stopped, and while a
    // PDF is saved.
    bool isBusy() const { return m_pageLimit > 0 || m_layingOut || m_saving; }

public slots:
    void print();              // the print dialog, then printPages
    // Prints the pages the printer's range asks for: all, from-to, or the current page.
    void printPages(QPrinter& printer);
    void saveAsPdf();          // a save dialog, then savePdf
    // Saves the report on the paper chosen; Stop ends it and leaves a file already there.
    bool savePdf(const QString& path);
    void showPage(int page);
    void fitToWidth();
    void stop();               // ends the laying out of the pages, or the saving

signals:
    // Every page is on the preview, or the laying out was stopped.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildBar();
    void layOutAll();
    void paintPages(QPrinter* printer);
    ReportRenderer::Progress stepper(const QString& doing);
    void setWorking(bool working);
    void refresh();
    void report(const AppError& error);
    QToolButton* button(const QString& text, const QString& tip, const char* name);

    QPrinter m_printer;
    QPrintPreviewWidget* m_preview = nullptr;
    QWidget* m_pageView = nullptr; // the preview's own view, not painted while pages are made
    QSpinBox* m_pageBox = nullptr;
    QLabel* m_pageLabel = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QComboBox* m_paperBox = nullptr;
    QComboBox* m_orientationBox = nullptr;
    QToolButton* m_stop = nullptr;
    QList<QWidget*> m_idleOnly; // what waits until the pages are laid out
    const ReportDocument* m_report = nullptr;
    ReportRenderer::Paper m_paper;
    int m_pageLimit = 0; // > 0: paint only this many pages (the first showing)
    int m_pages = 0;
    bool m_layingOut = false;
    bool m_saving = false;
    bool m_stopped = false;
    std::function<void(const AppError&)> m_onError;
};
