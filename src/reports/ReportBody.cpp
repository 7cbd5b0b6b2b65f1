#include "reports/ReportBody.h"

#include "reports/ReportDocument.h"
#include "reports/ReportStyle.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTextList>
#include <algorithm>
#include <cmath>

namespace {

using Layout = ReportLayout;

// Bodies made of items of known height (lines and blocks), cut into pages between items.
// Each page starts with the column headings.
class ItemBody : public ReportBody {
public:
    ItemBody(const ReportDocument& report, QPaintDevice& device) : m_report(report), m_style(device) {}

    int layout(const QRectF& area) override
    {
        m_area = area;
        m_pages.clear();
        const double top = area.top() + headingHeight();
        double y = top;
        int first = 0;
        const int count = itemCount();
        for (int i = 0; i < count; ++i) {
            // A heading goes to the next page with the item it heads.
            const double h = itemHeight(i) + (keptWithNext(i) && i + 1 < count ? itemHeight(i + 1) : 0);
            if (y + h > area.bottom() && i > first) {
                m_pages.append({first, i});
                first = i;
                y = top;
            }
            y += itemHeight(i);
        }
        m_pages.append({first, count});
        return int(m_pages.size());
    }

    void paintPage(QPainter& painter, int page) override
    {
        paintHeadings(painter);
        double y = m_area.top() + headingHeight();
        const auto [first, end] = m_pages.value(page);
        for (int i = first; i < end; ++i) {
            const double h = itemHeight(i);
            paintItem(painter, i, QRectF(m_area.left(), y, m_area.width(), h));
            y += h;
        }
    }

protected:
    virtual int itemCount() const = 0;
    virtual double itemHeight(int item) const = 0;
    virtual void paintItem(QPainter& painter, int item, const QRectF& rect) = 0;
    virtual double headingHeight() const { return m_style.lineHeight() * 1.6; }
    virtual bool keptWithNext(int) const { return false; }
    virtual void paintHeadings(QPainter& painter) = 0;

    // Column rectangles of a line: widths in millimetres, narrowed to fit the area.
    QVector<QRectF> cells(const QVector<Layout::Column>& columns, double y, double height) const
    {
        double total = 0;
        for (const Layout::Column& c : columns)
            total += m_style.mm(c.width);
        const double scale = total > m_area.width() ? m_area.width() / total : 1.0;
        QVector<QRectF> out;
        double x = m_area.left();
        for (const Layout::Column& c : columns) {
            const double w = m_style.mm(c.width) * scale;
            out << QRectF(x, y, w, height);
            x += w;
        }
        return out;
    }
    void paintCells(QPainter& painter, const QVector<Layout::Column>& columns, const QVector<QString>& texts,
                    double y, double height) const
    {
        const QVector<QRectF> rects = cells(columns, y, height);
        const double pad = m_style.mm(1);
        for (int c = 0; c < columns.size(); ++c) {
            const QRectF r = rects[c].adjusted(pad, 0, -pad, 0);
            const Qt::Alignment align = (columns[c].align == Layout::Align::Right ? Qt::AlignRight : Qt::AlignLeft)
                | Qt::AlignVCenter;
            painter.drawText(r, align, painter.fontMetrics().elidedText(texts.value(c), Qt::ElideRight, int(r.width())));
        }
    }
    void paintHeadingLine(QPainter& painter, const QVector<Layout::Column>& columns)
    {
        painter.setFont(m_style.bold());
        QVector<QString> headings;
        for (const Layout::Column& c : columns)
            headings << c.heading;
        const double h = m_style.lineHeight();
        paintCells(painter, columns, headings, m_area.top(), h);
        painter.drawLine(QPointF(m_area.left(), m_area.top() + h * 1.2), QPointF(m_area.right(), m_area.top() + h * 1.2));
        painter.setFont(m_style.body());
    }

    const ReportDocument& m_report;
    ReportStyle m_style;
    QRectF m_area;
    QVector<std::pair<int, int>> m_pages; // items [first, end) of each page
};

// One line per row in columns, and the count of rows at the end.
class ListBody : public ItemBody {
public:
    using ItemBody::ItemBody;

protected:
    bool isTotal(int i) const { return i == m_report.rowCount(); }
    int itemCount() const override { return m_report.rowCount() + (m_report.layout().countTotal ? 1 : 0); }
    double itemHeight(int i) const override { return m_style.lineHeight() * (isTotal(i) ? 1.8 : 1.0); }
    void paintHeadings(QPainter& painter) override { paintHeadingLine(painter, m_report.layout().columns); }
    void paintItem(QPainter& painter, int i, const QRectF& rect) override
    {
        const Layout& l = m_report.layout();
        if (!isTotal(i)) {
            QVector<QString> texts;
            for (const Layout::Column& c : l.columns)
                texts << m_report.text(i, c.field);
            paintCells(painter, l.columns, texts, rect.top(), rect.height());
            return;
        }
        painter.setFont(m_style.bold());
        painter.drawText(rect.adjusted(m_style.mm(1), 0, 0, 0), Qt::AlignLeft | Qt::AlignBottom,
                         QStringLiteral("Total: %1").arg(m_report.rowCount()));
        painter.setFont(m_style.body());
    }
};

// A label, a count and a bar per row, and the total of the counts.
class SummaryBody : public ItemBody {
public:
    using ItemBody::ItemBody;
    int layout(const QRectF& area) override
    {
        m_total = 0;
        m_largest = 0;
        for (int row = 0; row < m_report.rowCount(); ++row) {
            const qint64 n = m_report.value(row, m_report.layout().count.field).toLongLong();
            m_total += n;
            m_largest = std::max(m_largest, n);
        }
        return ItemBody::layout(area);
    }

protected:
    QVector<Layout::Column> columns() const { return {m_report.layout().label, m_report.layout().count}; }
    int itemCount() const override { return m_report.rowCount() + 1; }
    double itemHeight(int i) const override { return m_style.lineHeight() * (i < m_report.rowCount() ? 1.3 : 2.0); }
    void paintHeadings(QPainter& painter) override { paintHeadingLine(painter, columns()); }
    void paintItem(QPainter& painter, int i, const QRectF& rect) override
    {
        const Layout& l = m_report.layout();
        if (i == m_report.rowCount()) {
            painter.setFont(m_style.bold());
            paintCells(painter, columns(), {QStringLiteral("Total"), QString::number(m_total)}, rect.top(), rect.height());
            painter.setFont(m_style.body());
            return;
        }
        const qint64 n = m_report.value(i, l.count.field).toLongLong();
        paintCells(painter, columns(), {m_report.text(i, l.label.field), QString::number(n)}, rect.top(), rect.height());
        const QRectF counted = cells(columns(), rect.top(), rect.height()).constLast();
        const double left = counted.right() + m_style.mm(4);
        const double room = rect.right() - left;
        if (m_largest > 0 && room > 0) {
            const double h = rect.height() * 0.6;
            painter.fillRect(QRectF(left, rect.center().y() - h / 2, room * double(n) / double(m_largest), h),
                             m_style.barColour());
        }
    }

private:
    qint64 m_total = 0, m_largest = 0;
};

// Per survey and question: the number of answers, the average rating and the distribution
// of the ratings 1 to 10. Answers outside 1 to 10 (0: not answered) are not counted.
class RatingsBody : public ItemBody {
public:
    using ItemBody::ItemBody;
    int layout(const QRectF& area) override
    {
        const Layout& l = m_report.layout();
        m_items.clear();
        QVector<QVariant> seen;
        for (int row = 0; row < m_report.rowCount(); ++row) {
            const QVariant survey = m_report.value(row, QStringLiteral("EId"));
            if (seen.contains(survey))
                continue;
            seen << survey;
            m_items.append({row, 0, {}});
            for (int q = 1; q <= l.questionCount; ++q) {
                Item item{row, q, QVector<int>(10, 0)};
                const QString answer = l.answer.arg(q);
                for (int r = row; r < m_report.rowCount(); ++r) {
                    if (m_report.value(r, QStringLiteral("EId")) != survey)
                        continue;
                    const int rating = m_report.value(r, answer).toInt();
                    if (rating >= 1 && rating <= 10)
                        ++item.counts[rating - 1];
                }
                m_items.append(item);
            }
        }
        return ItemBody::layout(area);
    }

protected:
    struct Item {
        int row;      // the first row of the survey
        int question; // 0: the survey's heading
        QVector<int> counts;
    };
    int itemCount() const override { return int(m_items.size()); }
    double itemHeight(int i) const override { return m_style.lineHeight() * (m_items[i].question == 0 ? 2.2 : 4.6); }
    double headingHeight() const override { return 0; }
    bool keptWithNext(int i) const override { return m_items[i].question == 0; }
    void paintHeadings(QPainter&) override {}
    void paintItem(QPainter& painter, int i, const QRectF& rect) override
    {
        const Item& item = m_items[i];
        const Layout& l = m_report.layout();
        const double line = m_style.lineHeight();
        if (item.question == 0) {
            painter.setFont(m_style.heading());
            painter.drawText(rect, Qt::AlignLeft | Qt::AlignBottom,
                             QStringLiteral("Survey %1: %2")
                                 .arg(m_report.text(item.row, QStringLiteral("EId")), m_report.text(item.row, l.surveyName)));
            painter.setFont(m_style.body());
            return;
        }
        int answers = 0, sum = 0, most = 0;
        for (int r = 0; r < 10; ++r) {
            answers += item.counts[r];
            sum += item.counts[r] * (r + 1);
            most = std::max(most, item.counts[r]);
        }
        painter.setFont(m_style.bold());
        const QString question = QStringLiteral("%1. %2").arg(item.question).arg(m_report.text(item.row, l.question.arg(item.question)));
        painter.drawText(QRectF(rect.left(), rect.top(), rect.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(question, Qt::ElideRight, int(rect.width())));
        painter.setFont(m_style.body());
        const QString average = answers ? QString::number(double(sum) / answers, 'f', 2) : QStringLiteral("-");
        const QRectF figures(rect.left() + m_style.mm(4), rect.top() + line, m_style.mm(50), line * 2);
        painter.drawText(figures, Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("Answers: %1\nAverage: %2").arg(answers).arg(average));
        // The distribution: one column per rating, its height the share of the answers.
        const double left = figures.right() + m_style.mm(4);
        const double width = (rect.right() - left) / 10;
        const double barTop = rect.top() + line * 1.1, barHeight = line * 2.2;
        for (int r = 0; r < 10; ++r) {
            const double x = left + r * width;
            const double h = most ? barHeight * item.counts[r] / most : 0;
            painter.fillRect(QRectF(x + width * 0.15, barTop + barHeight - h, width * 0.7, h), m_style.barColour());
            painter.drawText(QRectF(x, barTop + barHeight, width, line), Qt::AlignCenter, QString::number(r + 1));
        }
        painter.drawLine(QPointF(left, barTop + barHeight), QPointF(rect.right(), barTop + barHeight));
    }

private:
    QVector<Item> m_items;
};

// Records one after another, each from a new page: its fields, then its texts in full
// (plain text as written, HTML rendered). The text is laid out at 96 dots to the inch, the
// unit of a letter's CSS pixels, and scaled onto the device, so that a letter reads the same
// size on the screen, in a PDF and on any printer.
class DocumentBody : public ReportBody {
public:
    DocumentBody(const ReportDocument& report, QPaintDevice& device)
        : m_report(report), m_reference(cssInch()), m_style(m_reference), m_scale(device.logicalDpiY() / kCssDpi)
    {
        m_text.documentLayout()->setPaintDevice(&m_reference);
        m_text.setDefaultFont(m_style.body());
        m_text.setDocumentMargin(0);
    }

    int layout(const QRectF& area) override
    {
        m_area = area;
        m_text.clear();
        m_text.setPageSize(area.size() / m_scale);
        QTextCursor cursor(&m_text);
        for (int row = 0; row < m_report.rowCount(); ++row)
            addRecord(cursor, row);
        return m_text.pageCount();
    }

    void paintPage(QPainter& painter, int page) override
    {
        const QSizeF size = m_text.pageSize();
        const QRectF shown(0, page * size.height(), size.width(), size.height());
        painter.save();
        painter.translate(m_area.topLeft());
        painter.scale(m_scale, m_scale);
        painter.translate(0, -shown.top());
        painter.setClipRect(shown);
        // Only the lines of this page: the last line of the page before ends on its top edge
        // and the first line of the next starts on its bottom edge.
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = shown.adjusted(0, 0.5, 0, -0.5);
        m_text.documentLayout()->draw(&painter, context);
        painter.restore();
    }

private:
    void addRecord(QTextCursor& cursor, int row)
    {
        const Layout& l = m_report.layout();
        QTextBlockFormat block;
        if (row > 0) {
            block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.insertBlock(block);
        } else {
            cursor.setBlockFormat(block);
        }
        QTextCharFormat label, plain;
        label.setFontWeight(QFont::Bold);
        for (int f = 0; f < l.fields.size(); ++f) {
            if (f > 0)
                cursor.insertBlock(QTextBlockFormat());
            cursor.insertText(l.fields[f].heading + QStringLiteral(": "), label);
            cursor.insertText(m_report.text(row, l.fields[f].field), plain);
        }
        for (const Layout::Section& s : l.sections) {
            QTextBlockFormat spaced;
            spaced.setTopMargin(m_style.lineHeight() * 0.8);
            cursor.insertBlock(spaced);
            cursor.insertText(s.heading, label);
            cursor.insertBlock(QTextBlockFormat());
            cursor.setCharFormat(plain);
            if (s.repeat > 0) {
                for (int n = 1; n <= s.repeat; ++n) {
                    if (n > 1)
                        cursor.insertBlock(QTextBlockFormat());
                    cursor.insertText(QStringLiteral("%1. %2").arg(n).arg(m_report.text(row, s.field.arg(n))), plain);
                }
            } else if (s.format == Layout::TextFormat::Html) {
                cursor.insertFragment(QTextDocumentFragment::fromHtml(m_report.value(row, s.field).toString()));
            } else {
                cursor.insertText(m_report.value(row, s.field).toString(), plain);
            }
        }
    }

    static constexpr double kCssDpi = 96;
    // A paint device of 96 dots to the inch, to measure the text with.
    static QImage cssInch()
    {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(kCssDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kCssDpi / 0.0254));
        return image;
    }

    const ReportDocument& m_report;
    QImage m_reference;
    ReportStyle m_style;
    double m_scale;
    QTextDocument m_text;
    QRectF m_area;
};

// Address labels across and down a label sheet; the sheet follows the paper (A4 or Letter).
class LabelBody : public ReportBody {
public:
    LabelBody(const ReportDocument& report, QPagedPaintDevice& device)
        : m_report(report), m_style(device),
          m_sheet(device.pageLayout().pageSize().id() == QPageSize::Letter ? report.layout().letterSheet
                                                                           : report.layout().a4Sheet)
    {
    }
    int layout(const QRectF&) override
    {
        const int perPage = std::max(1, m_sheet.across * m_sheet.down);
        return std::max(1, (m_report.rowCount() + perPage - 1) / perPage);
    }
    void paintPage(QPainter& painter, int page) override
    {
        const int perPage = std::max(1, m_sheet.across * m_sheet.down);
        painter.setFont(m_style.body());
        const double pad = m_style.mm(3);
        for (int i = 0; i < perPage; ++i) {
            const int row = page * perPage + i;
            if (row >= m_report.rowCount())
                break;
            const double x = m_style.mm(m_sheet.left + (i % m_sheet.across) * (m_sheet.width + m_sheet.gap));
            const double y = m_style.mm(m_sheet.top + (i / m_sheet.across) * m_sheet.height);
            const QRectF label(x + pad, y + pad, m_style.mm(m_sheet.width) - 2 * pad, m_style.mm(m_sheet.height) - 2 * pad);
            QStringList lines;
            for (const QString& line : m_report.layout().labelLines) {
                const QString text = m_report.text(row, line);
                if (!text.isEmpty())
                    lines << text;
            }
            paintLabel(painter, label, lines);
        }
    }

private:
    static constexpr int kSmallestPoints = 5;

    // Each line wraps within the label and reads in its own direction (a right-to-left name
    // leaves the phone number below it as it is); lines that do not fit take a smaller type.
    void paintLabel(QPainter& painter, const QRectF& label, const QStringList& lines) const
    {
        std::vector<std::unique_ptr<QTextLayout>> layouts;
        double height = 0;
        for (int points = m_style.body().pointSize(); points >= kSmallestPoints; --points) {
            QFont font = m_style.body();
            font.setPointSize(points);
            layouts.clear();
            height = 0;
            for (const QString& text : lines) {
                auto layout = std::make_unique<QTextLayout>(text, font, painter.device());
                QTextOption option(Qt::AlignLeft);
                option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
                option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
                layout->setTextOption(option);
                layout->beginLayout();
                for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
                    line.setLineWidth(label.width());
                    line.setPosition(QPointF(0, height));
                    height += line.height();
                }
                layout->endLayout();
                layouts.push_back(std::move(layout));
            }
            if (height <= label.height())
                break;
        }
        const QPointF origin(label.left(), label.top() + std::max(0.0, (label.height() - height) / 2));
        for (const auto& layout : layouts)
            layout->draw(&painter, origin);
    }

    const ReportDocument& m_report;
    ReportStyle m_style;
    Layout::LabelSheet m_sheet;
};

}

std::unique_ptr<ReportBody> ReportBody::create(const ReportDocument& report, QPagedPaintDevice& device)
{
    switch (report.layout().body) {
    case Layout::Body::List:
        return std::make_unique<ListBody>(report, device);
    case Layout::Body::Summary:
        return std::make_unique<SummaryBody>(report, device);
    case Layout::Body::Ratings:
        return std::make_unique<RatingsBody>(report, device);
    case Layout::Body::Document:
        return std::make_unique<DocumentBody>(report, device);
    case Layout::Body::Labels:
        return std::make_unique<LabelBody>(report, device);
    }
    return nullptr;
}
