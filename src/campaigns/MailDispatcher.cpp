#include "campaigns/MailDispatcher.h"

MailDispatcher::MailDispatcher(MailTransportKind kind, MailSettings settings) : m_kind(kind), m_settings(std::move(settings)) {}

MailDispatcher::~MailDispatcher() = default;

void MailDispatcher::hangUp()
{
    std::lock_guard lock(m_mutex);
    m_hungUp = true;
    if (m_transport)
        m_transport->abort();
}

void MailDispatcher::open()
{
    std::unique_ptr<MailTransport> transport = MailTransport::create(m_kind, m_settings);
    if (!transport)
        return;
    try {
        transport->open();
    } catch (const MailError& e) {
        m_openFailure = e;
    } catch (const AppError& e) {
        m_openFailure = MailError(MailFailure::Program, e.number(), e.source(), e.description());
    }
    std::lock_guard lock(m_mutex);
    m_transport = std::move(transport);
    if (m_hungUp)
        m_transport->abort();
}

void MailDispatcher::send(int index, const MailMessage& message)
{
    if (m_cancelled) {
        emit sent(index, notSent, MailFailure::Message, QString());
        return;
    }
    try {
        if (m_openFailure)
            throw *m_openFailure;
        if (!m_transport)
            throw AppError(MailErrors::NoTransport, QStringLiteral("MailDispatcher"), QStringLiteral("No mail transport"));
        m_transport->send(message);
    } catch (const MailError& e) {
        emit sent(index, e.number(), e.failure(), e.description());
        return;
    } catch (const AppError& e) {
        emit sent(index, e.number(), MailFailure::Message, e.description());
        return;
    } catch (const std::exception& e) {
        emit sent(index, MailErrors::SendFailed, MailFailure::Message, QString::fromLocal8Bit(e.what()));
        return;
    }
    emit sent(index, 0, MailFailure::Message, QString());
}

void MailDispatcher::close()
{
    if (m_transport)
        m_transport->close(); // may wait for the server's goodbye; hangUp() ends the wait
    std::unique_ptr<MailTransport> gone;
    {
        std::lock_guard lock(m_mutex);
        gone = std::move(m_transport);
    }
    gone.reset();
    emit closed();
}
