#include "campaigns/CampaignModules.h"

#include "campaigns/CampaignExtra.h"
#include "engine/RecordEngine.h"

void registerCampaignModules(RecordEngine& engine)
{
    for (CampaignKind kind : {CampaignKind::News, CampaignKind::Lead, CampaignKind::Survey}) {
        const CampaignFamily& family = CampaignFamily::of(kind);
        engine.addExtra(family.module, [&family] { return std::make_unique<CampaignExtra>(family); });
    }
}
