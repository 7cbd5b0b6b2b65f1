#pragma once

// Registers what the three campaign screens add to the generic record screen.
void registerCampaignModules();
