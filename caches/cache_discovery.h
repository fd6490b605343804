// Finds the disk caches the browsers of one user keep under their local
// application-data folder (%LOCALAPPDATA% on Windows): every profile of the
// Chromium-family browsers and every Firefox profile's cache2. Portable, so
// that it runs on a copied or made-up tree as well as on the user's own.
#pragma once
#include <string>
#include <vector>

struct FoundCache {
    std::string name;     // what the user reads: "Edge (Default)", "Opera"
    std::string browser;  // "Edge", "Chrome", "Brave", "Vivaldi", "Chromium", "Opera", "Firefox"
    std::string profile;  // "Default", "Profile 1", "x1y2.default-release"; "" for Opera
    std::string folder;   // the cache folder the readers open
};

// Browsers in a fixed order, each one's profiles "Default" first, then
// "Profile N" by number, then the rest by name. Bounded: only so many
// profile folders are looked at per browser, each with a few look-ups.
std::vector<FoundCache> FindBrowserCaches(const std::string& localAppData);
