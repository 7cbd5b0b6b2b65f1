#include "shell/admin/AdminModules.h"

#include "shell/admin/CustomizeSwatches.h"

void registerAdminModules()
{
    ModuleExtras::add(QStringLiteral("KKCustomize"), [] { return std::make_unique<CustomizeSwatches>(); });
}
