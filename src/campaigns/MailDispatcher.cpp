#include "campaigns/MailDispatcher.h"

#include "platform/AppError.h"

void MailDispatcher::send(int index, const MailMessage& message)
{
    if (m_cancelled) {
        emit sent(index, notSent, QString());
        return;
    }
    try {
        m_transport->send(message);
    } catch (const AppError& e) {
        emit sent(index, e.number(), e.description());
        return;
    } catch (const std::exception& e) {
        emit sent(index, MailErrors::SendFailed, QString::fromLocal8Bit(e.what()));
        return;
    }
    emit sent(index, 0, QString());
}
