#include "campaigns/KKReplies.h"

#include "base/Look.h"
#include "base/Messages.h"
#include "base/ProgramState.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

KKReplies::KKReplies(QWidget* parent)
    : QDialog(parent), m_status(new QLabel(this)), m_progress(new QProgressBar(this)),
      m_stop(new QPushButton(QStringLiteral("Stop"), this))
{
    setObjectName(QStringLiteral("KKReplies"));
    setWindowTitle(QStringLiteral("Process Replies"));
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_progress->setObjectName(QStringLiteral("prgReplies"));
    m_progress->setAccessibleName(QStringLiteral("Messages read"));
    m_stop->setObjectName(QStringLiteral("cmdStop"));
    m_status->setText(QStringLiteral("Reading %1 ..").arg(state().PImapSrvr.trimmed()));
    m_progress->setRange(0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addWidget(m_stop, 0, Qt::AlignRight);
    connect(m_stop, &QPushButton::clicked, this, &KKReplies::reject);
    connect(&m_run, &ReplyRun::progressChanged, this, &KKReplies::showProgress);
    connect(&m_run, &ReplyRun::finished, this, &KKReplies::conclude);
    ApplyLook(this);
}

int KKReplies::exec()
{
    if (!m_run.start()) {
        if (!m_run.why().isEmpty())
            state().messages().notice(m_run.why());
        return Rejected;
    }
    return QDialog::exec();
}

void KKReplies::reject()
{
    if (!m_run.isRunning())
        return QDialog::reject();
    m_stop->setEnabled(false);
    m_status->setText(QStringLiteral("Stopping.."));
    m_run.stop();
}

void KKReplies::showProgress(int done, int total)
{
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_status->setText(QStringLiteral("Message %1 of %2 ..").arg(done).arg(total));
}

void KKReplies::conclude()
{
    const QString summary = ReplyRun::summary(m_run.counts());
    state().messages().notice(m_run.why().isEmpty() ? summary : m_run.why() + QLatin1Char('\n') + summary);
    done(m_run.why().isEmpty() ? Accepted : Rejected);
}
