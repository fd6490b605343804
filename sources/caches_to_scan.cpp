#include "sources/caches_to_scan.h"

#include "sources/cache_choice.h"

#include <utility>

namespace {
std::vector<ChosenCache> givenCaches;
}  // namespace

void ScanOnlyCaches(std::vector<ChosenCache> caches)
{
    givenCaches = std::move(caches);
}

bool ScansGivenCachesOnly()
{
    return !givenCaches.empty();
}

std::vector<ChosenCache> CachesToScan()
{
    if (!givenCaches.empty())
        return givenCaches;
    CCacheChoice choice;
    choice.Load();
    return choice.CheckedCaches();
}
