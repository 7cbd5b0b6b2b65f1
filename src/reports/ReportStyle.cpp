#include "reports/ReportStyle.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintDevice>

ReportStyle::ReportStyle(QPaintDevice& device) : m_device(device), m_dpi(device.logicalDpiY())
{
    m_lineHeight = height(body()) * 1.3;
}

double ReportStyle::height(const QFont& f) const { return QFontMetricsF(f, &m_device).height(); }

QFont ReportStyle::font(int points, bool bold) const
{
    QFont f(QGuiApplication::font().family(), points);
    f.setBold(bold);
    return f;
}
