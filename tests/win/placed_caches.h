// Browser caches placed where the browsers keep theirs under this prefix's
// local application data, for the viewer to find by itself, and the user's
// choice of caches cleared before and after, so that no test sees another's.
#pragma once
#include <string>
#include <vector>

std::string LocalAppData();
// Copies a cache folder (a host path) to a Windows folder, made as needed.
bool PlaceCache(const std::string& hostFolder, const std::string& folder);
void RemoveTree(const std::string& folder);

// Removes the added and unchecked folders from the settings store, and the
// vendor's key when it was not there before.
class CacheChoiceReset {
public:
    CacheChoiceReset();
    ~CacheChoiceReset();
    CacheChoiceReset(const CacheChoiceReset&) = delete;
    CacheChoiceReset& operator=(const CacheChoiceReset&) = delete;
    void Clear();

private:
    bool m_vendorKeyWasThere;
};

// The caches tools/browser-caches/make-caches.py wrote in this run, placed as
// Chrome's "Default" (blockfile), Edge's "Profile 1" (simple), Brave's
// "Default" (SQL) and Firefox's "test.default-release"; removed again at the
// end, with the choice.
class PlacedBrowserCaches {
public:
    struct Placed {
        const char* made;  // the folder make-caches.py wrote, under hostRoot
        const char* name;  // the name the viewer gives the cache
        std::string folder;
    };

    explicit PlacedBrowserCaches(const std::string& hostRoot);
    ~PlacedBrowserCaches();
    PlacedBrowserCaches(const PlacedBrowserCaches&) = delete;
    PlacedBrowserCaches& operator=(const PlacedBrowserCaches&) = delete;

    bool AllPlaced() const { return m_allPlaced; }
    const std::vector<Placed>& Caches() const { return m_caches; }

private:
    CacheChoiceReset m_choice;
    std::vector<Placed> m_caches;
    std::vector<std::string> m_browserFolders;
    bool m_allPlaced = true;
};
