#include "engine/ModuleExtra.h"

namespace {
QHash<ModuleId, ModuleExtraFactory>& registry()
{
    static QHash<ModuleId, ModuleExtraFactory> extras;
    return extras;
}
}

namespace ModuleExtras {

bool add(ModuleId module, ModuleExtraFactory factory)
{
    Q_ASSERT_X(!registry().contains(module), "ModuleExtras::add", "a module has one extra");
    registry().insert(module, std::move(factory));
    return true;
}

const QHash<ModuleId, ModuleExtraFactory>& all() { return registry(); }

}
