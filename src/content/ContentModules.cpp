#include "content/ContentModules.h"

#include "engine/RecordEngine.h"

void registerContentModules(RecordEngine& engine)
{
    engine.addExtra(QStringLiteral("KKNews"), [] { return std::make_unique<NewsExtra>(); });
    engine.addExtra(QStringLiteral("KKLead"), [] { return std::make_unique<LeadExtra>(); });
    engine.addExtra(QStringLiteral("KKSurvey"), [] { return std::make_unique<SurveyExtra>(); });
}
