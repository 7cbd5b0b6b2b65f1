#include "reports/ReportViewer.h"

#include "base/Program.h"
#include "platform/AppError.h"
#include "reports/ReportDocument.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr double kStartZoom = 0.8;
constexpr int kStepMs = 50; // the longest the window waits while pages are laid out
}

ReportViewer::ReportViewer(QWidget* parent) : QWidget(parent), m_printer(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("crvMain"));
    m_paper.size = ReportRenderer::localePaper();
    m_printer.setPageSize(QPageSize(m_paper.size));
    m_preview = new QPrintPreviewWidget(&m_printer, this);
    m_preview->setObjectName(QStringLiteral("crvPreview"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &ReportViewer::paintPages);
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &ReportViewer::refresh);
    // While the pages are made anew the view's old pages are gone: it waits for the new ones.
    if (auto* view = m_preview->findChild<QGraphicsView*>()) {
        m_pageView = view->viewport();
        m_pageView->installEventFilter(this);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    buildBar(); // into the layout, above the preview
    layout->addWidget(m_preview, 1);
    m_preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    m_preview->setZoomFactor(kStartZoom);
    refresh();
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::buildBar()
{
    auto* bar = new QHBoxLayout;
    QToolButton* first = button(QStringLiteral("|<"), QStringLiteral("First Page"), "cmdFirstPage");
    QToolButton* previous = button(QStringLiteral("<"), QStringLiteral("Previous Page"), "cmdPrevPage");
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("txtPage"));
    m_pageBox->setAccessibleName(QStringLiteral("Page"));
    m_pageBox->setKeyboardTracking(false); // goes on Enter, not at every digit
    m_pageBox->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("lblPage"));
    QToolButton* next = button(QStringLiteral(">"), QStringLiteral("Next Page"), "cmdNextPage");
    QToolButton* last = button(QStringLiteral(">|"), QStringLiteral("Last Page"), "cmdLastPage");
    QToolButton* zoomOut = button(QStringLiteral("-"), QStringLiteral("Zoom Out"), "cmdZoomOut");
    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("lblZoom"));
    QToolButton* zoomIn = button(QStringLiteral("+"), QStringLiteral("Zoom In"), "cmdZoomIn");
    QToolButton* fit = button(QStringLiteral("Fit Width"), QStringLiteral("Fit Width"), "cmdFitWidth");
    m_paperBox = new QComboBox(this);
    m_paperBox->setObjectName(QStringLiteral("cmbPaper"));
    m_paperBox->setAccessibleName(QStringLiteral("Paper"));
    for (const QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter})
        m_paperBox->addItem(QPageSize::name(id), int(id));
    m_orientationBox = new QComboBox(this);
    m_orientationBox->setObjectName(QStringLiteral("cmbOrientation"));
    m_orientationBox->setAccessibleName(QStringLiteral("Orientation"));
    m_orientationBox->addItem(QStringLiteral("Portrait"), int(QPageLayout::Portrait));
    m_orientationBox->addItem(QStringLiteral("Landscape"), int(QPageLayout::Landscape));
    m_stop = button(QStringLiteral("Stop"), QStringLiteral("Stop"), "cmdStop");
    m_stop->hide();
    QToolButton* print = button(QStringLiteral("Print"), QStringLiteral("Print"), "cmdPrint");
    QToolButton* save = button(QStringLiteral("Save as PDF"), QStringLiteral("Save as PDF"), "cmdSavePdf");
    m_idleOnly = {m_paperBox, m_orientationBox, print, save};
    for (QWidget* w : std::initializer_list<QWidget*>{first, previous, m_pageBox, m_pageLabel, next, last})
        bar->addWidget(w);
    bar->addSpacing(16);
    for (QWidget* w : std::initializer_list<QWidget*>{zoomOut, m_zoomLabel, zoomIn, fit})
        bar->addWidget(w);
    bar->addSpacing(16);
    bar->addWidget(m_paperBox);
    bar->addWidget(m_orientationBox);
    bar->addStretch();
    for (QWidget* w : std::initializer_list<QWidget*>{m_stop, print, save})
        bar->addWidget(w);
    static_cast<QBoxLayout*>(layout())->addLayout(bar);

    connect(first, &QToolButton::clicked, this, [this] { showPage(1); });
    connect(previous, &QToolButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(m_pageBox, &QSpinBox::valueChanged, this, &ReportViewer::showPage);
    connect(next, &QToolButton::clicked, this, [this] { showPage(currentPage() + 1); });
    connect(last, &QToolButton::clicked, this, [this] { showPage(pageCount()); });
    connect(zoomIn, &QToolButton::clicked, m_preview, [this] { m_preview->zoomIn(); refresh(); });
    connect(zoomOut, &QToolButton::clicked, m_preview, [this] { m_preview->zoomOut(); refresh(); });
    connect(fit, &QToolButton::clicked, this, &ReportViewer::fitToWidth);
    for (QComboBox* box : {m_paperBox, m_orientationBox})
        connect(box, &QComboBox::activated, this, [this] {
            setPaper({QPageSize::PageSizeId(m_paperBox->currentData().toInt()),
                      QPageLayout::Orientation(m_orientationBox->currentData().toInt())});
        });
    connect(m_stop, &QToolButton::clicked, this, &ReportViewer::stop);
    connect(print, &QToolButton::clicked, this, &ReportViewer::print);
    connect(save, &QToolButton::clicked, this, &ReportViewer::saveAsPdf);
}

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
    if (m_report)
        m_paper.orientation = m_report->layout().orientation;
    setPaper(m_paper);
}

void ReportViewer::setPaper(const ReportRenderer::Paper& paper)
{
    m_paper = paper;
    m_paperBox->setCurrentIndex(m_paperBox->findData(int(paper.size)));
    m_orientationBox->setCurrentIndex(m_orientationBox->findData(int(paper.orientation)));
    m_printer.setPageSize(QPageSize(paper.size));
    if (m_report)
        ReportRenderer(*m_report).preparePage(m_printer, paper.orientation);
    m_pages = 0;
    m_stopped = false;
    // The first page goes on the preview at once; the rest follow once it is shown.
    m_pageLimit = 1;
    m_preview->updatePreview();
    m_pageLimit = 0;
    m_preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    m_preview->setZoomFactor(kStartZoom);
    m_layingOut = m_pages > 1;
    refresh();
    if (!m_layingOut) {
        emit finished();
        return;
    }
    QTimer::singleShot(0, this, &ReportViewer::layOutAll);
}

void ReportViewer::layOutAll()
{
    if (!m_layingOut || !m_report)
        return;
    const int page = currentPage();
    setWorking(true);
    m_preview->updatePreview();
    m_layingOut = false;
    setWorking(false);
    if (m_pageView)
        m_pageView->update();
    m_preview->setCurrentPage(page);
    refresh();
    emit finished();
}

void ReportViewer::setWorking(bool working)
{
    m_stop->setVisible(working);
    for (QWidget* w : std::as_const(m_idleOnly))
        w->setEnabled(!working);
}

// Lets the window take its events at least every kStepMs while pages are made, and says how
// far it got; false once Stop was pressed.
ReportRenderer::Progress ReportViewer::stepper(const QString& doing)
{
    auto step = std::make_shared<QElapsedTimer>();
    step->start();
    return [this, step, doing](int page, int pages) {
        if (step->elapsed() >= kStepMs) {
            m_pageLabel->setText(QStringLiteral("of %1 (%2 page %3)").arg(pages).arg(doing).arg(page));
            EventPause();
            step->restart();
        }
        return !m_stopped;
    };
}

void ReportViewer::paintPages(QPrinter* printer)
{
    if (!m_report)
        return;
    try {
        const ReportRenderer::Progress progress = m_layingOut ? stepper(QStringLiteral("laying out")) : nullptr;
        m_pages = ReportRenderer(*m_report).render(*printer, {1, m_pageLimit}, progress);
    } catch (const AppError& e) {
        report(e);
    }
}

void ReportViewer::stop() { m_stopped = m_layingOut || m_saving; }

bool ReportViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pageView && event->type() == QEvent::Paint && m_layingOut)
        return true;
    return QWidget::eventFilter(watched, event);
}

int ReportViewer::pageCount() const { return m_preview->pageCount(); }

int ReportViewer::currentPage() const { return m_preview->currentPage(); }

double ReportViewer::zoomFactor() const { return m_preview->zoomFactor(); }

void ReportViewer::showPage(int page)
{
    m_preview->setCurrentPage(std::clamp(page, 1, std::max(1, pageCount())));
    refresh();
}

void ReportViewer::fitToWidth()
{
    m_preview->fitToWidth();
    refresh();
}

void ReportViewer::refresh()
{
    const int shown = m_report ? pageCount() : 0;
    {
        const QSignalBlocker quiet(m_pageBox);
        m_pageBox->setRange(std::min(1, shown), shown);
        m_pageBox->setValue(m_report ? currentPage() : 0);
    }
    QString pages = QStringLiteral("of %1").arg(m_report ? m_pages : 0);
    if (!m_layingOut && shown < m_pages)
        pages += QStringLiteral(" (stopped after %1)").arg(shown);
    m_pageLabel->setText(pages);
    m_zoomLabel->setText(QStringLiteral("%1 %").arg(qRound(zoomFactor() * 100)));
}

void ReportViewer::print()
{
    if (!m_report || isBusy())
        return;
    QPrintDialog dialog(&m_printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage);
    dialog.setMinMax(1, m_pages);
    m_printer.setPrintRange(QPrinter::AllPages);
    if (dialog.exec() == QDialog::Accepted)
        printPages(m_printer);
}

void ReportViewer::printPages(QPrinter& printer)
{
    if (!m_report)
        return;
    ReportRenderer::PageRange range{1, 0};
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0)
        range = {printer.fromPage(), printer.toPage()};
    else if (printer.printRange() == QPrinter::CurrentPage)
        range = {currentPage(), currentPage()};
    try {
        const ReportRenderer renderer(*m_report);
        renderer.preparePage(printer, printer.pageLayout().orientation());
        renderer.render(printer, range);
    } catch (const AppError& e) {
        report(e);
    }
}

void ReportViewer::saveAsPdf()
{
    if (!m_report || isBusy())
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
    if (!m_report || isBusy())
        return false;
    m_saving = true;
    m_stopped = false;
    setWorking(true);
    bool saved = false;
    try {
        saved = ReportRenderer(*m_report).writePdf(path, m_paper, stepper(QStringLiteral("saving"))) > 0;
    } catch (const AppError& e) {
        report(e);
    }
    m_saving = false;
    setWorking(false);
    refresh();
    return saved;
}

void ReportViewer::report(const AppError& error)
{
    if (m_onError)
        m_onError(error);
}
