#include "base/CampaignFamily.h"

// Made at first use: the campaign extras register themselves before main().
const std::array<CampaignFamily, 3>& CampaignFamily::all()
{
    static const std::array<CampaignFamily, 3> families{{
        {CampaignKind::News, ModuleId::SendNews, ModuleId::News, QStringLiteral("SNews"), QStringLiteral("News"),
         QStringLiteral("Send News"), QStringLiteral("Send News"), QStringLiteral("NReference"), QStringLiteral("NSubject"),
         QStringLiteral("NMessage"), QStringLiteral("MgNews:"), QStringLiteral("Send News >"), BodyKind::PlainText, true,
         false, 50, QStringLiteral("SendNews List"), QStringLiteral("KVSendRepo.Krp")},
        {CampaignKind::Lead, ModuleId::MarketLead, ModuleId::Lead, QStringLiteral("MLead"), QStringLiteral("Lead"),
         QStringLiteral("Market Lead"), QStringLiteral("Market Lead"), QStringLiteral("LReference"), QStringLiteral("LSubject"),
         QStringLiteral("LMessage"), QStringLiteral("MgLead:"), QStringLiteral("Market Lead >"), BodyKind::Html, false, false,
         51, QStringLiteral("MarketLead List"), QStringLiteral("KVMrktRepo.Krp")},
        {CampaignKind::Survey, ModuleId::EmailSurvey, ModuleId::Survey, QStringLiteral("ESurvey"), QStringLiteral("Survey"),
         QStringLiteral("EMail Survey"), QStringLiteral("Email Survey"), QStringLiteral("SName"), QStringLiteral("SName"),
         QStringLiteral("SMessage"), QStringLiteral("MgSurv:"), QStringLiteral("Email Survey >"), BodyKind::Html, false, true,
         52, QStringLiteral("EmailSurvey List"), QStringLiteral("KVEmalRepo.Krp")},
    }};
    return families;
}

const CampaignFamily& CampaignFamily::of(CampaignKind kind) { return all().at(size_t(kind)); }
