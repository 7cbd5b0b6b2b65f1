#include "content/ContentModules.h"

void registerContentModules()
{
    ModuleExtras::add(QStringLiteral("KKNews"), [] { return std::make_unique<NewsExtra>(); });
    ModuleExtras::add(QStringLiteral("KKLead"), [] { return std::make_unique<LeadExtra>(); });
    ModuleExtras::add(QStringLiteral("KKSurvey"), [] { return std::make_unique<SurveyExtra>(); });
}
