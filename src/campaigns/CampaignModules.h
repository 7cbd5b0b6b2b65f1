#pragma once

class RecordEngine;

// Registers what the three campaign screens add to the generic record screen: the send
// row with the run's status and progress, and the Selection screen behind the criteria.
void registerCampaignModules(RecordEngine& engine);
