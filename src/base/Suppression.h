#pragma once
#include <QHash>
#include <QString>
#include <optional>

class Connection;

// Why an address is on the suppression list; stored as its first letter in SReason.
enum class SuppressionReason { Unsubscribed, Bounced, Manual };

// The suppression list (kaSuppression): addresses no campaign run may mail, each with the
// reason, the date it was added (EDate) and the campaign it came from. Addresses are kept as
// given and compared without regard to letter case, blanks around them aside.
namespace Suppression {

QString letter(SuppressionReason reason); // "U", "B", "M"
// The word a run's delivery log shows after "skipped: ": "unsubscribed", "bounced",
// "entered by hand".
QString reasonText(SuppressionReason reason);
std::optional<SuppressionReason> reasonFromLetter(const QString& letter);

// The form in which two addresses compare equal when they are the same for the list.
QString key(const QString& address);

// Adds the address dated today; returns false, keeping the entry there, when the address
// is already on the list (or is empty). `campaign` as UnsubscribeToken::campaignName gives it.
bool add(Connection& connection, const QString& address, SuppressionReason reason, const QString& campaign = {});
bool contains(Connection& connection, const QString& address);
std::optional<SuppressionReason> find(Connection& connection, const QString& address);
// Takes the address off the list; returns false when it was not on it.
bool remove(Connection& connection, const QString& address);

// The whole list by key(), for a run that checks every recipient.
QHash<QString, SuppressionReason> all(Connection& connection);
}
