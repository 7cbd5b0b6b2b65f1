#include "campaigns/CampaignFamily.h"

// Made at first use: the campaign extras register themselves before main().
const std::array<CampaignFamily, 3>& CampaignFamily::all()
{
    static const std::array<CampaignFamily, 3> families{{
        {CampaignKind::News, ModuleId::SendNews, ModuleId::News, QStringLiteral("NSubject"), QStringLiteral("NMessage"),
         QStringLiteral("MgNews:"), QStringLiteral("Send News >"), BodyKind::PlainText, true, false},
        {CampaignKind::Lead, ModuleId::MarketLead, ModuleId::Lead, QStringLiteral("LSubject"), QStringLiteral("LMessage"),
         QStringLiteral("MgLead:"), QStringLiteral("Market Lead >"), BodyKind::Html, false, false},
        {CampaignKind::Survey, ModuleId::EmailSurvey, ModuleId::Survey, QStringLiteral("SName"), QStringLiteral("SMessage"),
         QStringLiteral("MgSurv:"), QStringLiteral("Email Survey >"), BodyKind::Html, false, true},
    }};
    return families;
}

namespace {
const ModuleDef& entry(ModuleId id) { return *ModuleCatalogue::find(id); }
}

QString CampaignFamily::screen() const { return entry(module).screen; }
QString CampaignFamily::table() const { return entry(module).table; }
QString CampaignFamily::contentTable() const { return entry(content).table; }

const CampaignFamily& CampaignFamily::of(CampaignKind kind) { return all().at(size_t(kind)); }
