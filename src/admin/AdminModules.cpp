#include "admin/AdminModules.h"

#include "admin/CustomizeSwatches.h"
#include "admin/EnterpriseExtra.h"
#include "admin/PreferenceExtra.h"
#include "admin/SuppressionExtra.h"
#include "admin/UserExtra.h"
#include "engine/RecordEngine.h"

void registerAdminModules(RecordEngine& engine)
{
    engine.addExtra(QStringLiteral("KKEnterprise"), [] { return std::make_unique<EnterpriseExtra>(); });
    engine.addExtra(QStringLiteral("KKUser"), [] { return std::make_unique<UserExtra>(); });
    engine.addExtra(QStringLiteral("KKPreference"), [] { return std::make_unique<PreferenceExtra>(); });
    engine.addExtra(QStringLiteral("KKCustomize"), [] { return std::make_unique<CustomizeSwatches>(); });
    engine.addExtra(QStringLiteral("KKSuppression"), [] { return std::make_unique<SuppressionExtra>(); });
}
