#include "engine/ModuleExtra.h"

#include <QHash>

namespace {
QHash<QString, ModuleExtras::Factory>& factories()
{
    static QHash<QString, ModuleExtras::Factory> all;
    return all;
}
}

namespace ModuleExtras {

void add(const QString& screen, Factory factory) { factories().insert(screen, std::move(factory)); }

std::unique_ptr<ModuleExtra> create(const QString& screen)
{
    const auto it = factories().constFind(screen);
    return it == factories().constEnd() ? nullptr : (*it)();
}

}
