// The caches every scan reads: those checked in the Caches window, or, when
// the program was started on folders of the user's (/cache), those alone.
#pragma once
#include "sources/cache_source.h"

#include <vector>

// Set once at start-up, on the user-interface thread, before any scan's
// worker exists: the workers' creation orders the write before their reads,
// and nothing writes it again.
void ScanOnlyCaches(std::vector<ChosenCache> caches);

// Whether the folders given at start-up are all a scan reads: the Caches
// window's choice then does not apply.
bool ScansGivenCachesOnly();

// On any thread: the folders given at start-up, else the Caches window's
// checked caches as the settings store holds them now.
std::vector<ChosenCache> CachesToScan();
