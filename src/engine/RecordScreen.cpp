#include "engine/RecordScreen.h"

#include "engine/ModuleExtra.h"
#include "base/Look.h"
#include "base/Program.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QColor focusColour = ColorFromText(QStringLiteral("12632319")); // light red
const QColor plainColour(Qt::white);

void setBase(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}

QString symbolTip(FieldDef::Button b)
{
    return b == FieldDef::Button::PickList ? QStringLiteral("Listing") : QStringLiteral("Selection");
}

QString symbol(FieldDef::Button b)
{
    switch (b) {
    case FieldDef::Button::Cycle: return QStringLiteral("<");
    case FieldDef::Button::PickList: return QStringLiteral("+");
    default: return QStringLiteral(">");
    }
}
}

RecordScreen::RecordScreen(const ModuleDef& def, QWidget* parent) : QWidget(parent), m_def(def)
{
    setObjectName(def.screen);
    setWindowTitle(def.caption);
    setAttribute(Qt::WA_DeleteOnClose);
    build();
}

RecordScreen::~RecordScreen() = default;

void RecordScreen::build()
{
    // The frame scrolls when the window is smaller than the form.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrMain"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroll);
    // The fields' frame, and under it the place for a module's own large widgets (the lead
    // editor), which stays usable for reading while the frame is disabled in View.
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(page);
    m_frame = new QGroupBox(m_def.caption, page);
    m_frame->setObjectName(QStringLiteral("frmMain"));
    pageLayout->addWidget(m_frame);
    m_bottom = new QVBoxLayout;
    pageLayout->addLayout(m_bottom, 1);

    auto* frameLayout = new QVBoxLayout(m_frame);
    auto* top = new QHBoxLayout;
    frameLayout->addLayout(top, 1);
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(8);
    m_grid->setVerticalSpacing(4);
    top->addLayout(m_grid);
    m_side = new QVBoxLayout;
    top->addLayout(m_side, 1);
    m_picture = new QLabel(m_frame);
    m_picture->setObjectName(QStringLiteral("pctModule"));
    m_picture->setAlignment(Qt::AlignTop | Qt::AlignRight);
    m_picture->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(48, 48));
    m_picture->setMinimumWidth(64);
    top->addWidget(m_picture, 0, Qt::AlignTop);

    const QFontMetrics fm(font());
    int row = 0;
    for (int i = 0; i <= m_def.fieldCount; ++i) {
        const FieldDef& f = m_def.fields.at(i);
        auto* label = new QLabel(f.caption, m_frame);
        label->setObjectName(QStringLiteral("lblField_%1").arg(i));
        QWidget* box = nullptr;
        if (f.multiline) {
            auto* edit = new QPlainTextEdit(m_frame);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            edit->setTabChangesFocus(true);
            edit->setMinimumHeight(fm.height() * 8);
            // A multi-line box keeps to its maximum length as the user types.
            connect(edit, &QPlainTextEdit::textChanged, this, [this, i, edit] {
                const int max = m_def.fields.at(i).maxLength;
                if (max > 0 && edit->toPlainText().size() > max)
                    setText(i, edit->toPlainText());
            });
            box = edit;
        } else {
            auto* edit = new QLineEdit(m_frame);
            if (f.maxLength > 0)
                edit->setMaxLength(f.maxLength);
            if (f.rightAligned)
                edit->setAlignment(Qt::AlignRight);
            if (f.masked)
                MaskWithCrosses(edit);
            edit->setReadOnly(f.locked && i == 0);
            const int chars = qBound(6, f.maxLength, 50);
            edit->setMinimumWidth(fm.horizontalAdvance(QLatin1Char('W')) * chars * 2 / 3);
            box = edit;
        }
        box->setObjectName(QStringLiteral("txtField_%1").arg(i));
        box->setEnabled(f.enabled);
        box->setAccessibleName(f.caption);
        box->installEventFilter(this);
        setBase(box, plainColour);
        label->setBuddy(box);
        m_fields << box;
        m_labels << label;

        m_grid->addWidget(label, row, 0, Qt::AlignLeft | (f.multiline ? Qt::AlignTop : Qt::AlignVCenter));
        auto* cell = new QHBoxLayout;
        cell->addWidget(box, f.multiline ? 1 : 0);
        m_grid->addLayout(cell, row, 1);
        QLabel* listLabel = nullptr;
        QToolButton* button = nullptr;
        if (f.button != FieldDef::Button::None) {
            button = new QToolButton(m_frame);
            button->setObjectName(QStringLiteral("cmdList_%1").arg(i));
            button->setText(symbol(f.button));
            button->setToolTip(symbolTip(f.button));
            button->setAccessibleName(symbolTip(f.button) + QLatin1Char(' ') + f.caption);
            connect(button, &QToolButton::clicked, this, [this, i] { emit listButtonClicked(i); });
            cell->addWidget(button);
            listLabel = new QLabel(f.listCaption, m_frame);
            listLabel->setObjectName(QStringLiteral("lblList_%1").arg(i));
            cell->addWidget(listLabel);
        }
        if (!f.multiline)
            cell->addStretch(1);
        m_buttons << button;
        m_listLabels << listLabel;
        ++row;
        if (f.gapAfter) {
            m_grid->setRowMinimumHeight(row, fm.height());
            ++row;
        }
    }
    m_grid->setColumnStretch(1, 1);
    m_grid->setRowStretch(row, 1);
}

QWidget* RecordScreen::field(int i) const { return m_fields.value(i); }
QLineEdit* RecordScreen::lineEdit(int i) const { return qobject_cast<QLineEdit*>(field(i)); }
QPlainTextEdit* RecordScreen::textEdit(int i) const { return qobject_cast<QPlainTextEdit*>(field(i)); }
QLabel* RecordScreen::fieldLabel(int i) const { return m_labels.value(i); }
QLabel* RecordScreen::listLabel(int i) const { return m_listLabels.value(i); }
QAbstractButton* RecordScreen::listButton(int i) const { return m_buttons.value(i); }

QString RecordScreen::text(int i) const
{
    if (const QLineEdit* e = lineEdit(i))
        return e->text();
    if (const QPlainTextEdit* e = textEdit(i))
        return e->toPlainText();
    return {};
}

void RecordScreen::setText(int i, const QString& value)
{
    const int max = m_def.fields.value(i).maxLength;
    const QString cut = max > 0 ? value.left(max) : value;
    if (QLineEdit* line = lineEdit(i)) {
        line->setText(cut);
        line->setCursorPosition(0);
    } else if (QPlainTextEdit* box = textEdit(i)) {
        if (box->toPlainText() != cut)
            box->setPlainText(cut);
    }
}

QAbstractButton* RecordScreen::addCommandRow(int index, const QString& caption, const QString& buttonText,
                                              const QString& toolTip)
{
    const int row = m_grid->rowCount();
    auto* label = new QLabel(caption, m_frame);
    label->setObjectName(QStringLiteral("lblField_%1").arg(index));
    auto* button = new QToolButton(m_frame);
    button->setObjectName(QStringLiteral("cmdList_%1").arg(index));
    button->setText(buttonText);
    button->setToolTip(toolTip);
    button->setAccessibleName(caption);
    label->setBuddy(button);
    connect(button, &QToolButton::clicked, this, [this, index] { emit listButtonClicked(index); });
    auto* cell = new QHBoxLayout;
    cell->addWidget(button);
    cell->addStretch(1);
    m_grid->addWidget(label, row, 0);
    m_grid->addLayout(cell, row, 1);
    if (index >= m_buttons.size()) {
        m_buttons.resize(index + 1);
        m_labels.resize(index + 1);
    }
    m_buttons[index] = button;
    m_labels[index] = label;
    return button;
}

bool RecordScreen::isEditing() const { return m_frame->isEnabled(); }

void RecordScreen::setEditing(bool editing)
{
    m_frame->setEnabled(editing);
    emit editingChanged(editing);
}

void RecordScreen::setExtra(std::unique_ptr<ModuleExtra> extra)
{
    m_extra = std::move(extra);
    if (m_extra)
        m_extra->attach(*this);
}

void RecordScreen::pickerPressed(int i)
{
    if (i == m_pickerIndex)
        return;
    m_pickerPosition = 0;
    m_pickerIndex = i;
}

void RecordScreen::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        // Esc closes the screen at once, in any state, without asking.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RecordScreen::closeEvent(QCloseEvent* event)
{
    if (m_extra && !m_extra->canClose()) {
        event->ignore();
        return;
    }
    emit closing();
    QWidget::closeEvent(event);
}

bool RecordScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* w = qobject_cast<QWidget*>(watched); w && m_fields.contains(w)) {
        if (event->type() == QEvent::FocusIn)
            setBase(w, focusColour);
        else if (event->type() == QEvent::FocusOut)
            setBase(w, plainColour);
        else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
