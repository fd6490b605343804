// The browser caches a scan reads after the WinINet files, each with the name
// the user knows it by.
#pragma once
#include <string>
#include <vector>

struct CacheToScan {
    std::string name;    // "Edge (Default)", "Firefox (x1y2.default-release)"
    std::string folder;  // the folder the readers open
};

// Until the user's choice of caches is kept in the settings, the list comes
// from the environment variable ZEMA_BROWSER_CACHES: "name=folder" pairs
// separated by ";" (a name holds no "=", a folder no ";"). Empty when unset.
std::vector<CacheToScan> CachesToScan();

// The pairs of such a text; a pair without a name or a folder is dropped.
std::vector<CacheToScan> ParseCacheList(const std::string& text);
