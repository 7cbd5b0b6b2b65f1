#include "engine/KKAccess.h"

#include "base/Look.h"
#include "base/ProgramState.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

KKAccess::KKAccess(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KKAccess"));
    setWindowTitle(QStringLiteral("Access Code..."));
    setModal(true);
    auto* layout = new QHBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Access Code"), this);
    label->setObjectName(QStringLiteral("lblField_0"));
    m_code = new QLineEdit(this);
    m_code->setObjectName(QStringLiteral("txtMpass"));
    m_code->setMaxLength(10);
    MaskWithCrosses(m_code);
    m_code->setAccessibleName(QStringLiteral("Access Code"));
    m_code->installEventFilter(this);
    label->setBuddy(m_code);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(m_code);
    layout->addWidget(close);
    ApplyLook(this);
    m_code->setFocus();
}

bool KKAccess::ask(QWidget* parent)
{
    KKAccess prompt(parent);
    prompt.exec();
    return prompt.granted();
}

void KKAccess::submit()
{
    if (m_code->text() == state().EPasscd)
        m_granted = true;
    accept();
}

bool KKAccess::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_code && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            submit();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void KKAccess::keyPressEvent(QKeyEvent* event)
{
    // Keys reach here only when the code box does not have the focus: Esc closes the prompt.
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}
