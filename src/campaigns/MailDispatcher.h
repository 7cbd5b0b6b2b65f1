#pragma once
#include "platform/MailMessage.h"
#include "platform/MailTransport.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

// Lives on the run's worker thread and creates, opens, uses and closes the transport there,
// one message at a time, so that no wait on the network (closing included) ever holds up
// the window.
class MailDispatcher : public QObject {
    Q_OBJECT
public:
    MailDispatcher(MailTransportKind kind, MailSettings settings);
    ~MailDispatcher() override;

    // From the window's thread: messages still waiting are given back unsent.
    void cancel() { m_cancelled = true; }
    // From the window's thread: cuts the connection, so that a wait on the server ends now.
    void hangUp();
    static constexpr int notSent = -1; // the errorNumber of a message given back unsent

public slots:
    void open();
    void send(int index, const MailMessage& message);
    void close();

signals:
    // errorNumber 0: the message went out; else the error number, what it hit and its description.
    void sent(int index, int errorNumber, MailFailure failure, const QString& error);
    void closed();

private:
    MailTransportKind m_kind;
    MailSettings m_settings;
    std::mutex m_mutex; // m_transport and m_hungUp, against hangUp()
    std::unique_ptr<MailTransport> m_transport;
    bool m_hungUp = false;
    std::optional<MailError> m_openFailure;
    std::atomic<bool> m_cancelled = false;
};
