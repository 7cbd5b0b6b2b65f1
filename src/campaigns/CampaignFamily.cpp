#include "campaigns/CampaignFamily.h"

#include <array>

namespace {
const std::array<CampaignFamily, 3> families{{
    {CampaignKind::News, QStringLiteral("KKSNews"), QStringLiteral("ktNews"), QStringLiteral("NSubject"),
     QStringLiteral("NMessage"), QStringLiteral("MgNews:"), QStringLiteral("Send News >"), BodyKind::PlainText, true, false},
    {CampaignKind::Lead, QStringLiteral("KKMLead"), QStringLiteral("ktLead"), QStringLiteral("LSubject"),
     QStringLiteral("LMessage"), QStringLiteral("MgLead:"), QStringLiteral("Market Lead >"), BodyKind::Html, false, false},
    {CampaignKind::Survey, QStringLiteral("KKESurvey"), QStringLiteral("ktSurvey"), QStringLiteral("SName"),
     QStringLiteral("SMessage"), QStringLiteral("MgSurv:"), QStringLiteral("Email Survey >"), BodyKind::Html, false, true},
}};
}

const CampaignFamily& CampaignFamily::of(CampaignKind kind) { return families.at(size_t(kind)); }
