#include "engine/KKList.h"

#include "base/Look.h"
#include "base/Program.h"
#include "base/ProgramState.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>


KKList::KKList(const QString& source, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KKList"));
    setWindowTitle(QStringLiteral("Listing"));
    setModal(true);
    const QFont fixed = FixedFont();

    auto* layout = new QVBoxLayout(this);
    auto* headers = new QHBoxLayout;
    m_header0 = new QLabel(this);
    m_header0->setObjectName(QStringLiteral("lblField_0"));
    m_header1 = new QLabel(this);
    m_header1->setObjectName(QStringLiteral("lblField_1"));
    m_header0->setFont(fixed);
    m_header1->setFont(fixed);
    const int nameWidth = QFontMetrics(fixed).horizontalAdvance(QString(31, QLatin1Char('W')));
    m_header0->setFixedWidth(nameWidth);
    headers->addWidget(m_header0);
    headers->addWidget(m_header1, 1);
    auto* close = MakeCloseCross(this);
    headers->addWidget(close);
    layout->addLayout(headers);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstList"));
    m_list->setFont(fixed);
    m_list->setAccessibleName(QStringLiteral("Listing"));
    m_list->installEventFilter(this);
    m_list->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(50, QLatin1Char('W'))));
    m_list->setMinimumHeight(300);
    layout->addWidget(m_list);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { choose(); });
    connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (item->checkState() == Qt::Checked) {
            m_list->setCurrentItem(item);
            choose();
        }
    });

    connect(this, &QDialog::finished, this, &KKList::release);
    ApplyLook(this);
    load(source);
    // The list, with its first entry selected, takes the keys: Enter chooses, Esc closes.
    setTabOrder(m_list, close);
    m_list->setFocus();
}

KKList::~KKList() { release(); }

void KKList::load(const QString& source)
{
    Recordset& r = m_rows;
    Guard([&] {
        r.open(QStringLiteral("Select ") + source, *state().connection, CursorType::Dynamic, LockType::ReadOnly);
    });
    m_list->clear();
    if (!r.isOpen() || r.recordCount() == 0)
        return;
    const QSignalBlocker block(m_list);
    Guard([&] {
        for (r.moveFirst(); !r.eof(); r.moveNext()) {
            auto* item = new QListWidgetItem(PadText(r.field(0).text(), 30) + QLatin1Char(' ')
                                             + PadText(r.field(1).text(), 15));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
            m_list->addItem(item);
        }
    });
    Guard([&] {
        m_header0->setText(r.field(0).name());
        m_header1->setText(r.field(1).name());
    });
    m_list->setCurrentRow(0);
}

void KKList::release()
{
    if (m_rows.isOpen())
        m_rows.close();
}

void KKList::choose()
{
    if (QListWidgetItem* item = m_list->currentItem(); item && m_list->count() > 0) {
        const QString line = item->text();
        m_name = line.left(30).trimmed();
        m_id = line.right(15).trimmed();
        m_chosen = true;
    }
    accept();
}

void KKList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool KKList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space || key == Qt::Key_Tab) {
            choose();
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
