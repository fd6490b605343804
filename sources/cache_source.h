// One cache the scan can read: the shell's Internet cache or a browser's.
#pragma once
#include <string>

enum class CacheSourceKind { InetCache, BrowserCache };

struct ChosenCache {
    std::string name;    // "Internet Explorer", "Edge (Default)", "Added (Cache_Data)"
    std::string folder;  // the folder the scan walks or the readers open
    CacheSourceKind kind = CacheSourceKind::BrowserCache;
    bool added = false;  // added by the user, not found
};
