#include "admin/CustomizeSwatches.h"

#include "engine/RecordScreen.h"
#include "base/Program.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

KORVINA_MODULE_EXTRA(ModuleId::Customize, CustomizeSwatches);

namespace {
const int backColours[] = {14737632, 16777215, 12632319, 12640511, 12648447, 12648384, 16777152, 16761024, 16761087};
const int textures[] = {12632256, 14737632, 8421631, 8438015, 8454143, 8454016, 16777088, 16744576, 16744703};
const char* const fonts[] = {"Arial", "Century", "Georgia", "Rockwell", "Verdana"};
const char* const sizes[] = {"10", "11", "12"};
const struct { int colour; const char* name; } textColours[] = {
    {8388736, "Purple"}, {8388608, "Blue"}, {32768, "Green"}, {128, "Maroon"}, {0, "Black"}};

void paint(QLabel* box, const QColor& back, const QColor& fore)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::WindowText, fore);
    box->setPalette(p);
    box->setAutoFillBackground(true);
}

// The value a swatch carries, as the field stores it.
QString swatchValue(const QLabel* s, int field)
{
    switch (field) {
    case 2:
    case 3: return ColorToText(s->palette().color(QPalette::Window));
    case 6: return ColorToText(s->palette().color(QPalette::WindowText));
    default: return s->text();
    }
}
}

int CustomizeSwatches::swatchCount(int field)
{
    switch (field) {
    case 2:
    case 3: return 9;
    case 4: return 5;
    case 5: return 3;
    case 6: return 5;
    default: return 0;
    }
}

QLabel* CustomizeSwatches::swatch(int n) const
{
    const int k = n - 20;
    return k >= 0 && k < m_swatches.size() ? m_swatches.at(k) : nullptr;
}

void CustomizeSwatches::attach(RecordScreen& screen)
{
    auto* box = new QGroupBox(QStringLiteral("Choices"), screen.frame());
    box->setObjectName(QStringLiteral("frmSwatches"));
    auto* grid = new QGridLayout(box);
    m_swatches.resize(45);
    for (int field = 2; field <= 6; ++field) {
        auto* caption = new QLabel(screen.fieldLabel(field)->text(), box);
        grid->addWidget(caption, field - 2, 0);
        for (int k = 0; k < swatchCount(field); ++k) {
            auto* s = new QLabel(box);
            const int n = 10 * field + k;
            s->setObjectName(QStringLiteral("pctList_%1").arg(n));
            s->setFrameShape(QFrame::Box);
            s->setAlignment(Qt::AlignCenter);
            s->setMinimumSize(28, 20);
            switch (field) {
            case 2: paint(s, ColorFromText(QString::number(backColours[k])), Qt::black); break;
            case 3: paint(s, ColorFromText(QString::number(textures[k])), Qt::black); break;
            case 4:
                s->setText(QString::fromLatin1(fonts[k]));
                s->setFont(QFont(s->text()));
                break;
            case 5: s->setText(QString::fromLatin1(sizes[k])); break;
            case 6:
                s->setText(QString::fromLatin1(textColours[k].name));
                paint(s, Qt::white, ColorFromText(QString::number(textColours[k].colour)));
                break;
            }
            s->setAccessibleName(caption->text() + QLatin1Char(' ') + (s->text().isEmpty() ? swatchValue(s, field) : s->text()));
            grid->addWidget(s, field - 2, k + 1);
            m_swatches[n - 20] = s;
        }
        if (QAbstractButton* b = screen.listButton(field))
            b->setToolTip(QStringLiteral("Selection"));
    }
    screen.sideArea()->addWidget(box);
    screen.sideArea()->addStretch(1);
}

void CustomizeSwatches::hook(RecordScreen&, HookTag tag, Recordset*)
{
    if (tag == HookTag::DataSave)
        LoadCustomization();
}

bool CustomizeSwatches::listButton(RecordScreen& screen, int i)
{
    const int n = swatchCount(i);
    if (n == 0)
        return false;
    screen.pickerPressed(i);
    screen.setPickerPosition((screen.pickerPosition() + 1) % n);
    const QLabel* chosen = swatch(10 * i + screen.pickerPosition());
    const QString value = swatchValue(chosen, i);
    screen.setText(i, value);
    // The caption previews the choice.
    QLabel* label = screen.fieldLabel(i);
    switch (i) {
    case 2:
    case 3: paint(label, chosen->palette().color(QPalette::Window), label->palette().color(QPalette::WindowText)); break;
    case 4: {
        QFont f = label->font();
        f.setFamily(value);
        label->setFont(f);
        break;
    }
    case 5: {
        QFont f = label->font();
        f.setPointSize(value.toInt());
        label->setFont(f);
        break;
    }
    case 6: {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, chosen->palette().color(QPalette::WindowText));
        label->setPalette(p);
        break;
    }
    }
    return true;
}
