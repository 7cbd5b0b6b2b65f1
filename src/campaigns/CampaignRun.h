#pragma once
#include "campaigns/CampaignFamily.h"
#include "campaigns/RecipientFilter.h"
#include "platform/MailMessage.h"
#include "platform/Recordset.h"

#include <QObject>
#include <QQueue>
#include <QThread>
#include <memory>

class DeliveryLog;
class MailDispatcher;

// One sending of a campaign: the content to every customer of the type who satisfies the
// criteria, one message each. The run walks the recipients on the window's thread (reading
// the content afresh for each and reporting every step through statusChanged) while the
// messages travel through the transport on a worker thread, one at a time; the next
// message is composed while one is on its way. Addresses on the suppression list, and any
// address mailed already in the run, are skipped; every message says how to unsubscribe.
// It writes nothing to the database; its only record is the delivery log in Docs/Sent.
class CampaignRun : public QObject {
    Q_OBJECT
public:
    struct Request {
        const CampaignFamily* family = nullptr;
        QString campaignId;   // field 0, names the delivery log
        QString contentId;    // field 2
        QString customerType; // field 3
        QString criteria;     // field 4
    };
    explicit CampaignRun(Request request, QObject* parent = nullptr);
    ~CampaignRun() override;

    // Starts the run and returns; finished() follows when it is over.
    void start();
    // Ends the run after the message in flight; "Message(s) Sent!" still closes it.
    void stop();
    bool isRunning() const { return m_running; }
    QString logFileName() const;

signals:
    void statusChanged(const QString& text);
    void progressChanged(int done, int total);
    void finished();
    void dispatch(int index, const MailMessage& message); // to the worker

private slots:
    void linkRecipient();
    void sendRecipient();
    void recipientSent(int index, int errorNumber, const QString& error);

private:
    bool openContent(Recordset& content);
    bool openRecipients();
    bool prepareBulkMail();
    void addUnsubscribe(QString* body);
    void openTransport();
    QString composeBody(QString* subject, bool* ok);
    void recordOutcome(const QString& address, const QString& outcome);
    void advance();
    void scheduleLink();
    void finish(bool completed);

    // A transport's answer for one message.
    struct Answer {
        int errorNumber;
        QString error;
    };
    void takeAnswer(const Answer& answer);

    static constexpr int window = 2; // messages handed to the worker and not yet answered

    Request m_request;
    bool m_running = false;
    bool m_stopRequested = false;
    Recordset m_recipients;
    int m_total = 0;
    int m_done = 0;
    MailMessage m_message;
    bool m_composed = false;
    bool m_transportWanted = false;   // "O" or "S"
    QString m_transportError;         // why the transport could not open
    QThread m_thread;
    MailDispatcher* m_dispatcher = nullptr;
    QQueue<QString> m_inFlight;       // addresses of the messages handed to the worker
    QQueue<Answer> m_deferred;        // answers that came while an error was being reported
    bool m_reporting = false;
    bool m_linking = false;           // a recipient is between linking and handing over
    bool m_walked = false;            // every recipient has been handed over (or the run stopped)
    std::unique_ptr<DeliveryLog> m_log;
    RecipientFilter m_filter;         // suppressed addresses, and those mailed in this run
    QString m_unsubscribeAddress;     // where unsubscribe requests go
};
