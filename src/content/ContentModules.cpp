#include "content/ContentModules.h"

#include "engine/RecordEngine.h"

void registerContentModules(RecordEngine& engine)
{
    engine.addExtra(ModuleId::News, [] { return std::make_unique<NewsExtra>(); });
    engine.addExtra(ModuleId::Lead, [] { return std::make_unique<LeadExtra>(); });
    engine.addExtra(ModuleId::Survey, [] { return std::make_unique<SurveyExtra>(); });
}
