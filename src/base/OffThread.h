#pragma once
#include <functional>

// Runs work on a thread of its own while the calling (user-interface) thread keeps handling
// its window events, so a screen stays live through a long blocking step (a compaction, a
// file copy). What the work throws is thrown again here once it has ended.
void RunOffThread(const std::function<void()>& work);
