#pragma once

class RecordEngine;

// Adds what the administration modules bring to the record engine: the enterprise, user and
// preference save rules and the Customize swatches.
void registerAdminModules(RecordEngine& engine);
