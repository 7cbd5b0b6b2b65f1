#include "admin/AdminModules.h"

#include "admin/CustomizeSwatches.h"
#include "admin/EnterpriseExtra.h"
#include "admin/PreferenceExtra.h"
#include "admin/SuppressionExtra.h"
#include "admin/UserExtra.h"
#include "engine/RecordEngine.h"

void registerAdminModules(RecordEngine& engine)
{
    engine.addExtra(ModuleId::Enterprise, [] { return std::make_unique<EnterpriseExtra>(); });
    engine.addExtra(ModuleId::User, [] { return std::make_unique<UserExtra>(); });
    engine.addExtra(ModuleId::Preference, [] { return std::make_unique<PreferenceExtra>(); });
    engine.addExtra(ModuleId::Customize, [] { return std::make_unique<CustomizeSwatches>(); });
    engine.addExtra(ModuleId::Suppression, [] { return std::make_unique<SuppressionExtra>(); });
}
