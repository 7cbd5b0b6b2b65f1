#include "admin/SuppressionExtra.h"

#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "base/Suppression.h"
#include "engine/RecordScreen.h"
#include "platform/DbBackend.h"
#include "platform/Connection.h"

KORVINA_MODULE_EXTRA(ModuleId::Suppression, SuppressionExtra);

namespace {
constexpr int addressField = 2, reasonField = 3, campaignField = 4;

// True when another entry than the one shown (id) holds the address.
bool listedElsewhere(const QString& address, const QString& id)
{
    const ResultSet r = state().connection->backend().query(
        QStringLiteral("Select EId, SAddress From kaSuppression Where SAddress = ?"), {address});
    for (const auto& row : r.rows)
        if (row.value(0).toString() != id && Suppression::key(row.value(1).toString()) == Suppression::key(address))
            return true;
    return false;
}
}

bool SuppressionExtra::validate(RecordScreen& screen)
{
    const QString address = screen.text(addressField).trimmed();
    if (address.isEmpty())
        return true; // the engine names the empty field
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at <= 0 || at == address.size() - 1 || address.contains(QLatin1Char(' ')) || address.contains(QLatin1Char('<'))) {
        Messages::current().notice(QStringLiteral("Invalid Email Address!"));
        return false;
    }
    bool listed = false;
    if (!Guard([&] { listed = listedElsewhere(address, screen.text(0).trimmed()); }))
        return false;
    if (listed) {
        Messages::current().notice(QStringLiteral("Already On The List!"));
        return false;
    }
    screen.setText(addressField, address);
    return true;
}

void SuppressionExtra::hook(RecordScreen& screen, HookTag tag, Recordset*)
{
    if (tag != HookTag::DataInit)
        return;
    screen.setText(reasonField, Suppression::letter(SuppressionReason::Manual));
    screen.setText(campaignField, QStringLiteral("by hand"));
}
