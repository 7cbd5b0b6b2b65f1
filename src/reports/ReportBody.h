#pragma once
#include <QRectF>
#include <memory>

class QPainter;
class QPagedPaintDevice;
class ReportDocument;

// The part of a report page between header and footer, laid out for one paint device.
// One kind per layout body: lists, summaries and ratings are runs of lines and blocks cut
// into pages; documents flow as rich text; labels fill a sheet.
class ReportBody {
public:
    virtual ~ReportBody() = default;

    // Lays the rows out in area (device pixels) and returns the number of pages.
    virtual int layout(const QRectF& area) = 0;
    virtual void paintPage(QPainter& painter, int page) = 0;

    // The body for the report's layout, measuring with the device's resolution.
    static std::unique_ptr<ReportBody> create(const ReportDocument& report, QPagedPaintDevice& device);
};
