#include "base/Look.h"

#include "base/Program.h"
#include "base/ProgramState.h"

#include <QColor>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QMdiSubWindow>
#include <QWidget>
#include <optional>

namespace {
bool isChildWindow(QWidget* screen)
{
    return screen->property("childWindow").toBool() || qobject_cast<QMdiSubWindow*>(screen->parentWidget());
}

void setBack(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setFore(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

QColor colour(const QString& text, const char* what)
{
    bool ok = false;
    const QColor c = ColorFromText(text, &ok);
    if (!ok)
        throw AppError(13, QStringLiteral("ApplyLook"), QStringLiteral("Type mismatch in %1: '%2'").arg(QLatin1String(what), text));
    return c;
}
}

void ApplyLook(QWidget* screen)
{
    const ProgramState& s = state();
    if (!screen || s.CDefaScrn == QLatin1String("Y"))
        return;
    // Each setting is read once; a bad one is reported once and left out.
    const bool child = isChildWindow(screen);
    std::optional<QColor> back, fore;
    std::optional<double> size;
    if (child)
        Guard([&] { back = colour(s.CBackColor, "Back Color"); });
    Guard([&] { fore = colour(s.CTextColor, "Text Color"); });
    Guard([&] {
        double v = 0;
        if (!IsNumberText(s.CTextSize, &v) || v <= 0)
            throw AppError(13, QStringLiteral("ApplyLook"), QStringLiteral("Type mismatch in Text Size: '%1'").arg(s.CTextSize));
        size = v;
    });
    if (back)
        setBack(screen, *back);
    const QList<QWidget*> controls = screen->findChildren<QWidget*>();
    for (QWidget* w : controls) {
        const QString name = w->objectName();
        const bool frame = name.startsWith(QLatin1String("frmMain")) || name.startsWith(QLatin1String("pctModule"));
        const bool label = name.startsWith(QLatin1String("lblField")) || name.startsWith(QLatin1String("lblList"))
                           || name.startsWith(QLatin1String("chkField"));
        if (frame || label) {
            if (back)
                setBack(w, *back);
            if (fore)
                setFore(w, *fore);
        }
        if (label) {
            QFont f = w->font();
            f.setFamily(s.CTextFont);
            if (size)
                f.setPointSizeF(*size);
            w->setFont(f);
        } else if (name.startsWith(QLatin1String("shpMain"))) {
            w->setFixedWidth(int(screen->width() * 0.85));
        }
    }
}

QLabel* MakeTitle(const QString& caption, QWidget* parent)
{
    auto* title = new QLabel(caption, parent);
    title->setObjectName(QStringLiteral("lblField_0"));
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    title->setFont(f);
    return title;
}

QHBoxLayout* MakeCloseRow(QDialog* dialog)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* close = new QPushButton(QStringLiteral("Close"), dialog);
    close->setObjectName(QStringLiteral("cmdClose"));
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::accept);
    close->setDefault(true);
    close->setFocus();
    row->addWidget(close);
    return row;
}

QFont FixedFont()
{
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    return fixed;
}

QToolButton* MakeCloseCross(QDialog* dialog)
{
    auto* close = new QToolButton(dialog);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setText(QStringLiteral("x"));
    close->setToolTip(QStringLiteral("Close"));
    close->setAccessibleName(QStringLiteral("Close"));
    QObject::connect(close, &QToolButton::clicked, dialog, &QDialog::reject);
    return close;
}

namespace {
// Shows every character of a masked box as "x".
class CrossMaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return 'x';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
}

void MaskWithCrosses(QLineEdit* box)
{
    box->setEchoMode(QLineEdit::Password);
    auto* style = new CrossMaskStyle;
    style->setParent(box);
    box->setStyle(style);
}
