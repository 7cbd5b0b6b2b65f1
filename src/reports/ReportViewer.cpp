#include "reports/ReportViewer.h"

#include "platform/AppError.h"
#include "reports/ReportDocument.h"
#include "reports/ReportRenderer.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr double kStartZoom = 0.8;
}

ReportViewer::ReportViewer(QWidget* parent) : QWidget(parent), m_printer(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("crvMain"));
    m_preview = new QPrintPreviewWidget(&m_printer, this);
    m_preview->setObjectName(QStringLiteral("crvPreview"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &ReportViewer::paintPages);
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &ReportViewer::refresh);

    auto* bar = new QHBoxLayout;
    QToolButton* first = button(QStringLiteral("|<"), QStringLiteral("First Page"), "cmdFirstPage");
    QToolButton* previous = button(QStringLiteral("<"), QStringLiteral("Previous Page"), "cmdPrevPage");
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("lblPage"));
    QToolButton* next = button(QStringLiteral(">"), QStringLiteral("Next Page"), "cmdNextPage");
    QToolButton* last = button(QStringLiteral(">|"), QStringLiteral("Last Page"), "cmdLastPage");
    QToolButton* zoomOut = button(QStringLiteral("-"), QStringLiteral("Zoom Out"), "cmdZoomOut");
    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("lblZoom"));
    QToolButton* zoomIn = button(QStringLiteral("+"), QStringLiteral("Zoom In"), "cmdZoomIn");
    QToolButton* print = button(QStringLiteral("Print"), QStringLiteral("Print"), "cmdPrint");
    QToolButton* save = button(QStringLiteral("Save as PDF"), QStringLiteral("Save as PDF"), "cmdSavePdf");
    for (QWidget* w : std::initializer_list<QWidget*>{first, previous, m_pageLabel, next, last})
        bar->addWidget(w);
    bar->addSpacing(16);
    for (QWidget* w : std::initializer_list<QWidget*>{zoomOut, m_zoomLabel, zoomIn})
        bar->addWidget(w);
    bar->addStretch();
    bar->addWidget(print);
    bar->addWidget(save);

    connect(first, &QToolButton::clicked, this, [this] { showPage(1); });
    connect(previous, &QToolButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(next, &QToolButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(last, &QToolButton::clicked, this, [this] { showPage(pageCount()); });
    connect(zoomIn, &QToolButton::clicked, m_preview, [this] { m_preview->zoomIn(); refresh(); });
    connect(zoomOut, &QToolButton::clicked, m_preview, [this] { m_preview->zoomOut(); refresh(); });
    connect(print, &QToolButton::clicked, this, &ReportViewer::print);
    connect(save, &QToolButton::clicked, this, &ReportViewer::saveAsPdf);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(m_preview, 1);
    m_preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    m_preview->setZoomFactor(kStartZoom);
    refresh();
}

ReportViewer::~ReportViewer() = default;

QToolButton* ReportViewer::button(const QString& text, const QString& tip, const char* name)
{
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setObjectName(QLatin1String(name));
    return b;
}

void ReportViewer::setReport(const ReportDocument* report)
{
    m_report = report;
    m_pages = 0;
    if (m_report)
        ReportRenderer(*m_report).preparePage(m_printer);
    // The first page goes on the preview at once; the rest follow once it is shown.
    m_pageLimit = 1;
    m_preview->updatePreview();
    m_preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    m_preview->setZoomFactor(kStartZoom);
    if (m_pages <= 1) {
        m_pageLimit = 0;
        emit finished();
        return;
    }
    QTimer::singleShot(0, this, [this] {
        m_pageLimit = 0;
        const int page = currentPage();
        m_preview->updatePreview();
        m_preview->setCurrentPage(page);
        emit finished();
    });
}

void ReportViewer::paintPages(QPrinter* printer)
{
    if (!m_report)
        return;
    try {
        m_pages = ReportRenderer(*m_report).render(*printer, {1, m_pageLimit});
    } catch (const AppError& e) {
        report(e);
    }
}

int ReportViewer::pageCount() const { return m_preview->pageCount(); }

int ReportViewer::currentPage() const { return m_preview->currentPage(); }

double ReportViewer::zoomFactor() const { return m_preview->zoomFactor(); }

void ReportViewer::showPage(int page)
{
    m_preview->setCurrentPage(std::clamp(page, 1, std::max(1, pageCount())));
    refresh();
}

void ReportViewer::refresh()
{
    m_pageLabel->setText(QStringLiteral("Page %1 of %2").arg(m_report ? currentPage() : 0).arg(m_report ? m_pages : 0));
    m_zoomLabel->setText(QStringLiteral("%1 %").arg(qRound(zoomFactor() * 100)));
}

void ReportViewer::print()
{
    if (!m_report)
        return;
    QPrintDialog dialog(&m_printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        ReportRenderer(*m_report).render(m_printer);
    } catch (const AppError& e) {
        report(e);
    }
}

void ReportViewer::saveAsPdf()
{
    if (!m_report)
        return;
    QFileDialog dialog(this, QStringLiteral("Save as PDF"),
                       QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                       QStringLiteral("PDF files (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(m_report->layout().title + QStringLiteral(".pdf"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        savePdf(dialog.selectedFiles().constFirst());
}

bool ReportViewer::savePdf(const QString& path)
{
    if (!m_report)
        return false;
    try {
        ReportRenderer(*m_report).writePdf(path);
        return true;
    } catch (const AppError& e) {
        report(e);
    }
    return false;
}

void ReportViewer::report(const AppError& error)
{
    if (m_onError)
        m_onError(error);
}
