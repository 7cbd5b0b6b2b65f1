#include "campaigns/CampaignModules.h"

#include "campaigns/CampaignExtra.h"

void registerCampaignModules()
{
    for (CampaignKind kind : {CampaignKind::News, CampaignKind::Lead, CampaignKind::Survey}) {
        const CampaignFamily& family = CampaignFamily::of(kind);
        ModuleExtras::add(family.screen, [&family] { return std::make_unique<CampaignExtra>(family); });
    }
}
