#pragma once
#include "platform/ImapMailbox.h"
#include "platform/MailReply.h"

#include <QObject>
#include <atomic>

// Lives on a worker thread and does all that waits on the office mailbox: it reads every
// message of the inbox, tells of each one that may be a reply to a campaign, and moves to the
// folder the ones it is told were handled. The first failure ends the work: it is told once
// and every later request does nothing.
class ReplyReader : public QObject {
    Q_OBJECT
public:
    ReplyReader(const MailboxSettings& settings, QString folder);

    // Set from the window's thread: the transfer under way ends, and nothing more is done.
    void stop() { m_stop = true; }

public slots:
    void read();           // recognised() for each possible reply, then readAll()
    void file(qint64 uid); // moves a message of the inbox to the folder
    void finish();         // finished(), after the moves asked before it

signals:
    void progressed(int done, int total);
    void recognised(qint64 uid, const MailReply& reply);
    void readAll(int total);
    void failed(int errorNumber, const QString& error);
    void finished();

private:
    template <class Work>
    void attempt(Work&& work);

    ImapMailbox m_mailbox;
    QString m_folder;
    bool m_folderReady = false;
    bool m_failed = false;
    std::atomic<bool> m_stop = false;
};
