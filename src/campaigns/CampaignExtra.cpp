#include "campaigns/CampaignExtra.h"

#include "campaigns/CampaignRun.h"
#include "campaigns/DeliveryLogView.h"
#include "campaigns/KKSelect.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/Messages.h"
#include "base/ProgramState.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {
enum Field { IdField = 0, ContentField = 2, TypeField = 3, StatusLine = 7 };

// Each campaign screen gets the send row of its kind.
[[maybe_unused]] const bool registered = [] {
    for (const CampaignFamily& family : CampaignFamily::all())
        ModuleExtras::add(family.module, [&family] { return std::make_unique<CampaignExtra>(family); });
    return true;
}();
}

CampaignExtra::~CampaignExtra() = default;

void CampaignExtra::attach(RecordScreen& screen)
{
    m_screen = &screen;
    auto* row = new QHBoxLayout;
    m_send = new QPushButton(m_family.sendCaption, &screen);
    m_send->setObjectName(QStringLiteral("cmdSend"));
    m_resume = new QPushButton(QStringLiteral("Resume"), &screen);
    m_resume->setObjectName(QStringLiteral("cmdResume"));
    m_resume->setToolTip(QStringLiteral("Send to the customers earlier runs of this campaign did not reach"));
    m_log = new QPushButton(QStringLiteral("Log"), &screen);
    m_log->setObjectName(QStringLiteral("cmdLog"));
    m_log->setToolTip(QStringLiteral("The delivery log of this campaign's last run"));
    m_testAddress = new QLineEdit(&screen);
    m_testAddress->setObjectName(QStringLiteral("txtTestAddress"));
    m_testAddress->setPlaceholderText(QStringLiteral("Test address"));
    m_testAddress->setAccessibleName(QStringLiteral("Test address"));
    m_testSend = new QPushButton(QStringLiteral("Test Send"), &screen);
    m_testSend->setObjectName(QStringLiteral("cmdTestSend"));
    m_status = new QLabel(QStringLiteral("."), &screen);
    m_status->setObjectName(QStringLiteral("lblField_%1").arg(StatusLine));
    showStatus(QStringLiteral("."));
    m_progress = new QProgressBar(&screen);
    m_progress->setObjectName(QStringLiteral("prgSend"));
    m_progress->setFormat(QStringLiteral("%v of %m"));
    m_progress->setAccessibleName(QStringLiteral("Messages handled"));
    m_stop = new QPushButton(QStringLiteral("Stop"), &screen);
    m_stop->setObjectName(QStringLiteral("cmdStop"));
    row->addWidget(m_send);
    row->addWidget(m_resume);
    row->addWidget(m_log);
    row->addWidget(m_testAddress);
    row->addWidget(m_testSend);
    row->addWidget(m_status, 1);
    row->addWidget(m_progress);
    row->addWidget(m_stop);
    screen.bottomArea()->addLayout(row);
    showRunning(false);
    connect(m_send, &QPushButton::clicked, this, &CampaignExtra::send);
    connect(m_resume, &QPushButton::clicked, this, &CampaignExtra::resume);
    connect(m_log, &QPushButton::clicked, this, &CampaignExtra::showLog);
    connect(m_testSend, &QPushButton::clicked, this, &CampaignExtra::testSend);
    connect(m_stop, &QPushButton::clicked, this, &CampaignExtra::stop);
}

bool CampaignExtra::listButton(RecordScreen& screen, int index)
{
    if (index != criteriaField)
        return false;
    screen.pickerPressed(index);
    KKSelect select(screen, &screen);
    select.load();
    select.exec();
    return true;
}

bool CampaignExtra::isRunning() const { return m_run && m_run->isRunning(); }

void CampaignExtra::send() { startRun(false); }

void CampaignExtra::resume() { startRun(true); }

void CampaignExtra::testSend()
{
    const QString address = m_testAddress->text().trimmed();
    if (address.isEmpty())
        m_testAddress->setFocus();
    else
        startRun(false, address);
}

// A failed recipient goes again in a resumed run of those alone, so no one is mailed twice.
void CampaignExtra::showLog()
{
    if (!m_screen || isRunning())
        return;
    const QList<DeliveryLog::Entry> entries = DeliveryLog::lastRun(
        state().DataFolder + QStringLiteral("/Docs/Sent"), m_family.screen(), m_screen->text(IdField));
    if (entries.isEmpty()) {
        state().messages().notice(QStringLiteral("No Delivery Log For This Campaign!"));
        return;
    }
    DeliveryLogView view(entries, m_screen);
    if (view.exec() == QDialog::Accepted)
        startRun(true, {}, view.failedAddresses());
}

void CampaignExtra::startRun(bool resume, const QString& testAddress, const QStringList& only)
{
    if (!m_screen || isRunning())
        return;
    if (!Engine::ValidateFields())
        return;
    CampaignRun::Request request{&m_family, m_screen->text(IdField), m_screen->text(ContentField),
                                 m_screen->text(TypeField), m_screen->text(criteriaField), resume, testAddress, only};
    m_run = new CampaignRun(std::move(request), this);
    connect(m_run, &CampaignRun::statusChanged, m_status, [this](const QString& text) {
        showStatus(text);
        m_status->repaint();
    });
    connect(m_run, &CampaignRun::progressChanged, m_progress, [this](int done, int total) {
        m_progress->setMaximum(std::max(total, 1));
        m_progress->setValue(done);
    });
    connect(m_run, &CampaignRun::finished, this, [this] {
        showRunning(false);
        m_run->deleteLater();
    });
    showRunning(true);
    m_run->start();
}

void CampaignExtra::stop()
{
    if (m_run)
        m_run->stop();
}

// A screen reader hears the status line as it changes.
void CampaignExtra::showStatus(const QString& text)
{
    m_status->setText(text);
    m_status->setAccessibleName(QStringLiteral("Status: ") + text);
}

void CampaignExtra::showRunning(bool running)
{
    m_send->setEnabled(!running);
    m_resume->setEnabled(!running);
    m_log->setEnabled(!running);
    m_testSend->setEnabled(!running);
    m_progress->setVisible(running);
    m_stop->setVisible(running);
    if (running)
        m_progress->setValue(0);
}
