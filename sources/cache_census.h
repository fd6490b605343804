// What one cache holds, counted for its row in the Caches window: its format
// and its entries, or why it cannot be read. Runs on a worker: reads only,
// bounded, and ends soon after stop() says so.
#pragma once
#include "caches/body_decoder.h"
#include "sources/cache_source.h"

#include <cstdint>
#include <string>

struct CacheCensus {
    std::string format;  // "WinINet", "Chromium blockfile", ...; "" when unknown
    uint64_t entries = 0;
    uint64_t unreadable = 0;  // entries listed that cannot be read whole
    bool counted = false;     // false: `problem` says why
    bool cut = false;         // stopped at the bound or by stop()
    std::string problem;
};

CacheCensus TakeCacheCensus(const ChosenCache& cache, const CacheStopCheck& stop);
// "12", "12 (2 unreadable)", "over 1000000", or the problem.
std::string CensusText(const CacheCensus& census);
