#pragma once
#include "base/CampaignFamily.h"
#include "campaigns/RecipientFilter.h"
#include "base/PictureStore.h"
#include "platform/MailMessage.h"
#include "platform/MailTransport.h"
#include "platform/Recordset.h"

#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QThread>
#include <memory>
#include <optional>

class DeliveryLog;
class MailDispatcher;

// One sending of a campaign: the content to every customer of the type who satisfies the
// criteria, one message each. The run walks the recipients on the window's thread (reading
// the content afresh for each and reporting every step through statusChanged) while the
// transport is created, used and closed on a worker thread, one message at a time; the
// next message is composed while one is on its way. Addresses on the suppression list, and
// any address mailed already in the run, are skipped; every message says how to unsubscribe.
// It writes nothing to the database; its only record is the delivery log in Docs/Sent.
//
// A failure of one message is one "Error!" and the run goes on. A failure that hits every
// message (connection, encryption, log-in, the mail program) ends the run with one message
// saying what failed, and every recipient not sent is logged with the reason.
class CampaignRun : public QObject {
    Q_OBJECT
public:
    struct Request {
        const CampaignFamily* family = nullptr;
        QString campaignId;   // field 0, names the delivery log
        QString contentId;    // field 2
        QString customerType; // field 3
        QString criteria;     // field 4
        bool resume = false;  // skip the addresses earlier runs of this campaign sent to
        QString testAddress = {}; // not empty: one message, merged with the first recipient, to this address
        QStringList only = {};    // not empty: the recipients with these addresses; the rest are passed over unlogged
    };
    explicit CampaignRun(Request request, QObject* parent = nullptr);
    ~CampaignRun() override;

    // Starts the run and returns; finished() follows when it is over.
    void start();
    // Ends the run after the message in flight: no further message goes and no further box
    // is shown; "Message(s) Sent!" still closes it.
    void stop();
    // True from start() until finished(), which waits for the connection to be closed.
    bool isRunning() const { return m_running; }

    // How long closing waits for the server's goodbye before the line is cut.
    static constexpr int closeGraceMs = 2000;

signals:
    void statusChanged(const QString& text);
    void progressChanged(int done, int total);
    void finished();
    void dispatch(int index, const MailMessage& message); // to the worker

private slots:
    void step();
    void recipientSent(int index, int errorNumber, MailFailure failure, const QString& error);
    void transportClosed();

private:
    // A transport's answer for one message.
    struct Answer {
        int errorNumber;
        MailFailure failure;
        QString error;
    };

    bool openContent(Recordset& content);
    bool openRecipients();
    bool prepareBulkMail();
    void addUnsubscribe(QString* body);
    void startTransport();
    QString composeBody(QString* subject, bool* ok);
    bool confirmDuration();
    bool paced();
    void schedule();
    bool hasWork() const;
    void walk();
    bool isTest() const { return !m_request.testAddress.isEmpty(); }
    QString recipientAddress();
    void linkRecipient();
    void sendRecipient();
    void takeAnswer(const Answer& answer);
    void failRun(const Answer& answer);
    void recordOutcome(const QString& address, const QString& outcome);
    void advance();
    void logRemaining();
    void finish(bool completed);
    void endWhenClosed();

    static constexpr int window = 2; // messages handed to the worker and not yet answered
    static constexpr int longRun = 300; // messages: a paced run longer than this asks first

    Request m_request;
    bool m_running = false;
    bool m_stopRequested = false;
    std::optional<MailFailure> m_failure; // what ended the run, if anything did
    Recordset m_recipients;
    int m_total = 0;
    int m_done = 0;
    MailMessage m_message;
    bool m_composed = false;
    bool m_linked = false;            // the current recipient is linked and waits to be sent
    bool m_transportWanted = false;   // "O" or "S"
    QThread m_thread;
    MailDispatcher* m_dispatcher = nullptr;
    QQueue<QString> m_inFlight;       // addresses of the messages handed to the worker
    QQueue<Answer> m_answers;         // answers not yet taken
    bool m_scheduled = false;         // a step is queued
    bool m_busy = false;              // a step is running (a box it shows lets events run)
    bool m_walked = false;            // every recipient has been handed over (or the run ended)
    bool m_windowDone = false;        // the window's part of the run has ended
    int m_rate = 0;                   // messages per minute; 0: as fast as the server takes them
    qint64 m_handed = 0;              // messages handed to the worker in this run
    QElapsedTimer m_paceClock;        // since the run started
    bool m_pacing = false;            // the next message waits for its turn
    std::unique_ptr<DeliveryLog> m_log;
    RecipientFilter m_filter;         // suppressed addresses, and those mailed in this run
    QSet<QString> m_only;             // keys of Request::only
    QString m_unsubscribeAddress;     // where unsubscribe requests go
    PictureStore::Cache m_pictures;   // the kept pictures the letters name
};
