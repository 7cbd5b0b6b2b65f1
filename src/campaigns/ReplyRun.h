#pragma once
#include "platform/MailReply.h"

#include <QHash>
#include <QObject>
#include <QThread>

class ReplyReader;

// Process Replies: reads the office mailbox (the account of the mail preferences) and puts on
// the suppression list whoever asked to be unsubscribed with a genuine token and every
// customer address a delivery report says failed for good. What it handled goes to the
// folder of the preferences; everything else stays as it was. The mailbox is read on a
// worker thread; the database is written here, before the message it came from is moved.
class ReplyRun : public QObject {
    Q_OBJECT
public:
    explicit ReplyRun(QObject* parent = nullptr);
    ~ReplyRun() override;

    // Starts the run and returns; finished() follows when it is over. False (with why())
    // when the preferences name no mailbox.
    bool start();
    // Ends the run after the transfer under way.
    void stop();
    bool isRunning() const { return m_running; }

    struct Counts {
        int unsubscribed = 0;
        int bounced = 0;
        int other = 0;
    };
    const Counts& counts() const { return m_counts; }
    // "3 unsubscribed, 2 bounced, 41 other messages left alone"
    static QString summary(const Counts& counts);
    // Why the run could not start or ended early; empty when it went through (or when the
    // error handler has already said why).
    const QString& why() const { return m_why; }

signals:
    void progressChanged(int done, int total);
    void finished();
    void file(qint64 uid); // to the worker

private slots:
    void take(qint64 uid, const MailReply& reply);
    void readAll(int total);
    void fail(int errorNumber, const QString& error);
    void end();

private:
    bool handleUnsubscribe(const MailReply& reply);
    bool handleBounce(const MailReply& reply);
    bool suppress(const QString& address, bool bounced, const QString& campaign);
    bool loadCustomers();

    QThread m_thread;
    ReplyReader* m_reader = nullptr;
    bool m_running = false;
    bool m_writeFailed = false;
    int m_handled = 0;
    Counts m_counts;
    QString m_why;
    QString m_tokenKey;
    QHash<qint64, QString> m_customerAddress; // EId -> CEmail
    QHash<QString, QString> m_customerAddresses; // Suppression::key(CEmail) -> CEmail
};
