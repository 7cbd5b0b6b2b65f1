#include "base/Suppression.h"

#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "platform/DbBackend.h"

namespace {
struct Entry {
    SuppressionReason reason;
    const char* letter;
    const char* text;
};
constexpr Entry kEntries[] = {{SuppressionReason::Unsubscribed, "U", "unsubscribed"},
                              {SuppressionReason::Bounced, "B", "bounced"},
                              {SuppressionReason::Manual, "M", "entered by hand"}};

const Entry& entry(SuppressionReason reason)
{
    for (const Entry& e : kEntries)
        if (e.reason == reason)
            return e;
    return kEntries[2];
}

// The rows whose address equals this one without regard to letter case: the column's
// collation finds them, key() keeps out what the collation alone would take for equal.
QVector<QVector<QVariant>> rowsOf(Connection& c, const QString& address)
{
    QVector<QVector<QVariant>> rows;
    const ResultSet r = c.backend().query(
        QStringLiteral("Select EId, SAddress, SReason From kaSuppression Where SAddress = ?"), {address.trimmed()});
    for (const auto& row : r.rows)
        if (Suppression::key(row.value(1).toString()) == Suppression::key(address))
            rows << row;
    return rows;
}
}

namespace Suppression {

QString letter(SuppressionReason reason) { return QLatin1String(entry(reason).letter); }
QString reasonText(SuppressionReason reason) { return QLatin1String(entry(reason).text); }

std::optional<SuppressionReason> reasonFromLetter(const QString& text)
{
    for (const Entry& e : kEntries)
        if (text.trimmed().compare(QLatin1String(e.letter), Qt::CaseInsensitive) == 0)
            return e.reason;
    return std::nullopt;
}

QString key(const QString& address) { return address.trimmed().toCaseFolded(); }

bool add(Connection& c, const QString& address, SuppressionReason reason, const QString& campaign)
{
    if (address.trimmed().isEmpty() || !rowsOf(c, address).isEmpty())
        return false;
    c.backend().execute(QStringLiteral("INSERT INTO kaSuppression (EDate, SAddress, SReason, SCampaign) "
                                       "VALUES (?, ?, ?, ?)"),
                        {DateText::toIso(state().clock.today()), address.trimmed(), letter(reason), campaign});
    return true;
}

bool contains(Connection& c, const QString& address) { return find(c, address).has_value(); }

std::optional<SuppressionReason> find(Connection& c, const QString& address)
{
    const auto rows = rowsOf(c, address);
    if (rows.isEmpty())
        return std::nullopt;
    return reasonFromLetter(rows.first().value(2).toString()).value_or(SuppressionReason::Manual);
}

bool remove(Connection& c, const QString& address)
{
    const auto rows = rowsOf(c, address);
    for (const auto& row : rows)
        c.backend().execute(QStringLiteral("DELETE FROM kaSuppression Where EId = ?"), {row.value(0)});
    return !rows.isEmpty();
}

QHash<QString, SuppressionReason> all(Connection& c)
{
    QHash<QString, SuppressionReason> list;
    const ResultSet r = c.backend().query(QStringLiteral("Select SAddress, SReason From kaSuppression"));
    for (const auto& row : r.rows)
        list.insert(key(row.value(0).toString()),
                    reasonFromLetter(row.value(1).toString()).value_or(SuppressionReason::Manual));
    return list;
}

}
