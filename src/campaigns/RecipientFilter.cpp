#include "campaigns/RecipientFilter.h"

void RecipientFilter::load(Connection& connection)
{
    m_suppressed = Suppression::all(connection);
    m_mailed.clear();
}

QString RecipientFilter::skip(const QString& address)
{
    const QString key = Suppression::key(address);
    if (key.isEmpty())
        return {}; // fails in the transport like any address it refuses
    if (const auto found = m_suppressed.constFind(key); found != m_suppressed.constEnd())
        return QStringLiteral("skipped: ") + Suppression::reasonText(*found);
    if (m_sentBefore.contains(key))
        return QStringLiteral("skipped: sent before");
    if (m_mailed.contains(key))
        return QStringLiteral("skipped: mailed already in this run");
    m_mailed.insert(key);
    return {};
}
