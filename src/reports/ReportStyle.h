#pragma once
#include <QColor>
#include <QFont>

class QPaintDevice;

// The fonts, line height and colours of printed reports, measured for one paint device.
class ReportStyle {
public:
    explicit ReportStyle(QPaintDevice& device);

    double mm(double millimetres) const { return millimetres * m_dpi / 25.4; }
    QFont body() const { return font(9); }
    QFont bold() const { return font(9, true); }
    QFont small() const { return font(8); }
    QFont heading() const { return font(11, true); }
    QFont title() const { return font(15, true); }
    // The height of one line of body text on the device.
    double lineHeight() const { return m_lineHeight; }
    QColor barColour() const { return QColor(0x5b, 0x7d, 0xa8); }

    // The height of text in a font on the device.
    double height(const QFont& font) const;

private:
    QFont font(int points, bool bold = false) const;

    QPaintDevice& m_device;
    double m_dpi;
    double m_lineHeight;
};
