#include "content/MergeList.h"

#include "platform/Recordset.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QColor>
#include <QEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>

MergeList::MergeList(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("lstMerge"));
    setAccessibleName(QStringLiteral("Customer Info"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setBackColour(PlainColour);
    connect(this, &QListWidget::itemChanged, this, &MergeList::itemTicked);
}

void MergeList::setMessageBox(QPlainTextEdit* box)
{
    if (m_box)
        m_box->removeEventFilter(this);
    m_box = box;
    if (m_box)
        m_box->installEventFilter(this);
}

void MergeList::fill()
{
    clear();
    Guard([&] {
        Recordset columns;
        columns.open(QStringLiteral("Select * From ktCustomer Where 1=2"), *::state().connection,
                     CursorType::Static, LockType::ReadOnly);
        for (int i = 0; i < columns.fieldCount(); ++i) {
            auto* item = new QListWidgetItem(columns.field(i).name());
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
            addItem(item);
        }
        columns.close();
    });
    setCurrentRow(-1);
    clearSelection();
}

void MergeList::keyInsert(int keyAscii)
{
    // p is only read back from the box when the box had the focus since the last insertion.
    int p = 0;
    if (m_rereadPosition && m_box) {
        p = m_box->textCursor().position();
        m_rereadPosition = false;
    }
    if (p == 0)
        p = 1; // a tag never goes before the first character
    if (keyAscii != 13 && keyAscii != 26)
        return;
    QListWidgetItem* item = currentItem();
    if (!m_box || !item || !item->isSelected())
        return;
    const QString name = item->text();
    const QString tag = QStringLiteral("<<") + name + QStringLiteral(">>");

    QTextCursor cursor(m_box->document());
    const int length = m_box->document()->characterCount() - 1;
    cursor.setPosition(qMin(p, length));
    cursor.insertText(tag);

    // The cursor stands one character beyond the closing ">>".
    const int end = m_box->document()->characterCount() - 1;
    QTextCursor after = m_box->textCursor();
    after.setPosition(qMin(p + int(name.size()) + 5, end));
    m_box->setTextCursor(after);
    m_box->setFocus(Qt::OtherFocusReason);
    m_rereadPosition = true;
}

void MergeList::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool ctrlZ = event->key() == Qt::Key_Z && (event->modifiers() & Qt::ControlModifier);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        keyInsert(13);
        return;
    }
    if (ctrlZ || text == QStringLiteral("\x1a")) {
        keyInsert(26);
        return;
    }
    if (!text.isEmpty() && text.at(0).isPrint())
        keyInsert(text.at(0).unicode());
    QListWidget::keyPressEvent(event);
}

void MergeList::itemTicked(QListWidgetItem* item)
{
    if (m_unticking || !item || item->checkState() != Qt::Checked)
        return;
    // The ticked item is the one whose tag goes in.
    setCurrentItem(item);
    keyInsert(13);
    m_unticking = true;
    item->setCheckState(Qt::Unchecked);
    m_unticking = false;
}

void MergeList::focusInEvent(QFocusEvent* event)
{
    QListWidget::focusInEvent(event);
    setBackColour(FocusColour);
    // A click that brought the focus then selects the clicked entry itself.
    if (count() > 0)
        setCurrentRow(0);
}

void MergeList::focusOutEvent(QFocusEvent* event)
{
    QListWidget::focusOutEvent(event);
    setBackColour(PlainColour);
    setCurrentRow(-1);
    clearSelection();
}

bool MergeList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_box && event->type() == QEvent::FocusIn)
        m_rereadPosition = true;
    return QListWidget::eventFilter(watched, event);
}

void MergeList::setBackColour(int colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, ColorFromText(QString::number(colour)));
    setPalette(p);
}
