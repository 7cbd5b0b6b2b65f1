#include "reports/ReportRenderer.h"

#include "base/Clock.h"
#include "base/ProgramState.h"
#include "platform/AppError.h"
#include "platform/DateText.h"
#include "reports/ReportBody.h"
#include "reports/ReportDocument.h"
#include "reports/ReportStyle.h"

#include <QLocale>
#include <QPainter>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

namespace {
const QString kCompany = QStringLiteral("pCompName");
const QString kFilter = QStringLiteral("pFilter");
constexpr double kMarginMm = 12;

bool onLabelSheet(const ReportDocument& report) { return report.layout().body == ReportLayout::Body::Labels; }

// Hands every byte on to a file and keeps the first failure. A short write is finished or
// fails with the system's reason, so that a full disk never passes for a shorter file.
class WholeWrites : public QIODevice {
public:
    explicit WholeWrites(QFileDevice& file) : m_file(file) {}
    bool open() { return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    const QString& failure() const { return m_failure; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override
    {
        for (qint64 done = 0; done < length;) {
            const qint64 n = m_file.write(data + done, length - done);
            if (n <= 0) {
                if (m_failure.isEmpty())
                    m_failure = m_file.errorString();
                return -1;
            }
            done += n;
        }
        return length;
    }

private:
    QFileDevice& m_file;
    QString m_failure;
};

// Where a PDF goes: a new file that replaces path once it is complete, or path itself for a
// device or a pipe, which cannot be replaced.
class PdfFile {
public:
    explicit PdfFile(const QString& path)
        : m_inPlace(QFileInfo::exists(path) && !QFileInfo(path).isFile()), m_replaced(path), m_direct(path), m_out(file())
    {
    }
    // Unbuffered: each write reaches the file at once, and fails there when it cannot.
    bool open() { return file().open(QIODevice::WriteOnly | QIODevice::Unbuffered) && m_out.open(); }
    QIODevice& out() { return m_out; }
    // Puts the file in place once every byte is written; false when it cannot.
    bool commit() { return m_out.failure().isEmpty() && (m_inPlace || m_replaced.commit()); }
    QString failure() const { return !m_out.failure().isEmpty() ? m_out.failure() : file().errorString(); }

private:
    QFileDevice& file() { return m_inPlace ? static_cast<QFileDevice&>(m_direct) : m_replaced; }
    const QFileDevice& file() const { return m_inPlace ? static_cast<const QFileDevice&>(m_direct) : m_replaced; }

    const bool m_inPlace; // first: the members below depend on it
    QSaveFile m_replaced;
    QFile m_direct;
    WholeWrites m_out;
};

// Paints the header of a page (or, without a painter, only measures it) and returns where
// the body may start.
double paintHeader(QPainter* painter, const ReportDocument& report, const ReportStyle& style, double width)
{
    const QString printed = QStringLiteral("Printed: ") + DateText::format(state().clock.today());
    const double small = style.height(style.small());
    if (onLabelSheet(report)) {
        // Above the first row of labels, in the sheet's top margin.
        const QRectF line(style.mm(kMarginMm), style.mm(4), width - 2 * style.mm(kMarginMm), small);
        if (painter) {
            painter->setFont(style.small());
            painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, report.layout().title);
            painter->drawText(line, Qt::AlignRight | Qt::AlignVCenter, printed);
        }
        return 0;
    }
    const QRectF top(0, 0, width, small);
    const QRectF title(0, top.bottom() + small * 0.2, width, style.height(style.title()) * 1.1);
    const bool filtered = report.hasFormula(kFilter);
    const QRectF filter(0, title.bottom(), width, filtered ? style.lineHeight() : 0);
    const double rule = filter.bottom() + style.mm(1.5);
    if (painter) {
        painter->setFont(style.bold());
        if (report.hasFormula(kCompany))
            painter->drawText(top, Qt::AlignLeft | Qt::AlignVCenter, report.formulaText(kCompany));
        painter->setFont(style.small());
        painter->drawText(top, Qt::AlignRight | Qt::AlignVCenter, printed);
        painter->setFont(style.title());
        painter->drawText(title, Qt::AlignCenter, report.layout().title);
        painter->setFont(style.body());
        if (filtered)
            painter->drawText(filter, Qt::AlignCenter, QStringLiteral("Selection: ") + report.formulaText(kFilter));
        painter->drawLine(QPointF(0, rule), QPointF(width, rule));
    }
    return rule + style.mm(3);
}

// The footer's height; paints "Page n of m" at the bottom of the page.
double paintFooter(QPainter* painter, const ReportStyle& style, const QSizeF& page, int n, int m, bool labels)
{
    const double h = style.height(style.small());
    if (!painter)
        return h + style.mm(3);
    painter->setFont(style.small());
    const double bottom = labels ? page.height() - style.mm(4) : page.height();
    painter->drawText(QRectF(0, bottom - h, page.width(), h), Qt::AlignHCenter | Qt::AlignVCenter,
                      QStringLiteral("Page %1 of %2").arg(n).arg(m));
    painter->setFont(style.body());
    return h + style.mm(3);
}
}

QPageSize::PageSizeId ReportRenderer::localePaper()
{
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4;
}

QPageLayout::Orientation ReportRenderer::layoutOrientation() const { return m_report.layout().orientation; }

bool ReportRenderer::paperSize(const QString& name, QPageSize::PageSizeId* size)
{
    for (const QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter}) {
        if (name.compare(QPageSize::key(id), Qt::CaseInsensitive) == 0) {
            *size = id;
            return true;
        }
    }
    return false;
}

void ReportRenderer::preparePage(QPagedPaintDevice& device) const { preparePage(device, layoutOrientation()); }

void ReportRenderer::preparePage(QPagedPaintDevice& device, QPageLayout::Orientation orientation) const
{
    device.setPageOrientation(orientation);
    const double margin = onLabelSheet(m_report) ? 0 : kMarginMm;
    device.setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
}

int ReportRenderer::render(QPagedPaintDevice& device, PageRange range, const Progress& progress) const
{
    QPainter painter;
    if (!painter.begin(&device))
        throw AppError(ReportErrors::BadLayout, QStringLiteral("ReportRenderer"), QStringLiteral("Cannot paint the report."));
    const ReportStyle style(device);
    const QSizeF page(device.width(), device.height());
    const bool labels = onLabelSheet(m_report);

    // Header and footer heights do not change from page to page: measure them once.
    const double bodyTop = paintHeader(nullptr, m_report, style, page.width());
    const double footer = paintFooter(nullptr, style, page, 1, 1, labels);
    std::unique_ptr<ReportBody> body = ReportBody::create(m_report, device);
    const QRectF area = labels ? QRectF(QPointF(0, 0), page) : QRectF(0, bodyTop, page.width(), page.height() - bodyTop - footer);
    const int pages = body->layout(area);
    const int first = std::clamp(range.first, 1, pages);
    const int last = range.last > 0 ? std::clamp(range.last, first, pages) : pages;
    for (int p = first; p <= last; ++p) {
        if (p > first)
            device.newPage();
        paintHeader(&painter, m_report, style, page.width());
        paintFooter(&painter, style, page, p, pages, labels);
        body->paintPage(painter, p - 1);
        if (progress && !progress(p, pages))
            break;
    }
    painter.end();
    return pages;
}

int ReportRenderer::writePdf(const QString& path, const Paper& paper, const Progress& progress) const
{
    const auto failed = [&path](const QString& why) {
        return AppError(ReportErrors::CannotWrite, QStringLiteral("ReportRenderer"),
                        QStringLiteral("Cannot write the PDF file %1: %2").arg(path, why));
    };
    PdfFile file(path);
    if (!file.open())
        throw failed(file.failure());
    int pages = 0;
    bool stopped = false;
    const Progress step = [&](int page, int count) {
        stopped = progress && !progress(page, count);
        return !stopped;
    };
    {
        QPdfWriter writer(&file.out());
        writer.setTitle(m_report.layout().title);
        writer.setCreator(QStringLiteral("Korvina"));
        writer.setResolution(300);
        writer.setPageSize(QPageSize(paper.size));
        preparePage(writer, paper.orientation);
        try {
            pages = render(writer, PageRange{1, 0}, step);
        } catch (const AppError& e) {
            throw failed(e.description());
        }
    }
    if (stopped)
        return 0; // the temporary file goes, the file at path stays
    if (!file.commit())
        throw failed(file.failure());
    return pages;
}
