#pragma once
#include "content/LeadExtra.h"
#include "content/NewsExtra.h"
#include "content/SurveyExtra.h"

class RecordEngine;

// Registers what the content screens add to the generic record screen: the merge list of the
// News screen, the lead editor of the Leads screen and the script button of the Surveys screen.
void registerContentModules(RecordEngine& engine);
