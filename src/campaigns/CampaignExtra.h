#pragma once
#include "base/CampaignFamily.h"
#include "campaigns/CampaignRun.h"
#include "engine/ModuleExtra.h"

#include <QPointer>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// What a campaign screen adds to the generic record screen: the send button, the status
// line lblField(7) with the run's progress and its Stop button, and the Selection screen
// behind cmdList(4). While a run is in progress the screen stays open and a second run
// cannot start.
class CampaignExtra : public ModuleExtra {
    Q_OBJECT
public:
    explicit CampaignExtra(const CampaignFamily& family) : m_family(family) {}
    ~CampaignExtra() override;

    void attach(RecordScreen& screen) override;
    bool listButton(RecordScreen& screen, int index) override;
    bool canClose() const override { return !isRunning(); }

    bool isRunning() const;
    CampaignRun* run() const { return m_run; }

    static constexpr int criteriaField = 4;

public slots:
    void send();  // cmdSend
    void resume(); // cmdResume: sends to those earlier runs of the record did not reach
    void testSend(); // cmdTestSend: one message, merged with the first recipient, to txtTestAddress
    void showLog(); // cmdLog: the last run's delivery log; its failed recipients can be sent again
    void stop();  // cmdStop

private:
    void showRunning(bool running);
    void startRun(bool resume, const QString& testAddress = {}, const QStringList& only = {});
    void showStatus(const QString& text);

    const CampaignFamily& m_family;
    QPointer<RecordScreen> m_screen;
    QPointer<QPushButton> m_send;
    QPointer<QPushButton> m_resume;
    QPointer<QPushButton> m_log;
    QPointer<QLineEdit> m_testAddress;
    QPointer<QPushButton> m_testSend;
    QPointer<QLabel> m_status;
    QPointer<QProgressBar> m_progress;
    QPointer<QPushButton> m_stop;
    QPointer<CampaignRun> m_run;
};
