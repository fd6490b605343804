// The Other-files browser's wildcard on a name that no folder search sees:
// a cache entry's row name.
#pragma once

// As the platform's folder search matches a long file name: "*" any run of
// characters (none included), "?" one character, letters of ASCII in any
// case; "*.*" and any pattern ending in ".*" also take a name without a
// dot, as they do there. The work is bounded by the product of the lengths.
bool MatchesWildcard(const char* name, const char* pattern);
