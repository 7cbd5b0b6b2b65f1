#pragma once

// Registers what the administration modules add to the record engine (the Customize swatches).
void registerAdminModules();
