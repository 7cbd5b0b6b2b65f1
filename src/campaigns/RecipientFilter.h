#pragma once
#include "base/Suppression.h"

#include <QHash>
#include <QSet>
#include <QString>

class Connection;

// Decides, recipient by recipient, who a run leaves out: an address on the suppression list,
// and an address that this run has mailed already (letter case aside).
class RecipientFilter {
public:
    // Reads the suppression list; throws AppError when it cannot be read.
    void load(Connection& connection);
    // Addresses (keys) mailed by an earlier run of the same campaign, which a resumed run skips.
    void skipSentBefore(const QSet<QString>& keys) { m_sentBefore = keys; }

    // Empty when the address is to be mailed (it then counts as mailed); otherwise what the
    // delivery log says: "skipped: unsubscribed", "skipped: mailed already in this run",
    // "skipped: sent before".
    QString skip(const QString& address);

private:
    QHash<QString, SuppressionReason> m_suppressed;
    QSet<QString> m_mailed;
    QSet<QString> m_sentBefore;
};
