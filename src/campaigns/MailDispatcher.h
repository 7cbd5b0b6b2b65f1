#pragma once
#include "platform/MailMessage.h"
#include "platform/MailTransport.h"

#include <QObject>
#include <atomic>
#include <memory>

// Lives on the run's worker thread and hands one message at a time to the transport, so
// that waiting on the network never holds up the window.
class MailDispatcher : public QObject {
    Q_OBJECT
public:
    explicit MailDispatcher(std::unique_ptr<MailTransport> transport) : m_transport(std::move(transport)) {}

    // Set from the window's thread: messages still waiting are given back unsent.
    void cancel() { m_cancelled = true; }
    static constexpr int notSent = -1; // the errorNumber of a message given back unsent

public slots:
    void send(int index, const MailMessage& message);

signals:
    // error: empty when the message went out; else the error number and description.
    void sent(int index, int errorNumber, const QString& error);

private:
    std::unique_ptr<MailTransport> m_transport;
    std::atomic<bool> m_cancelled = false;
};
