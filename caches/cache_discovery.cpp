#include "caches/cache_discovery.h"

#include "caches/cache_files.h"

#include <algorithm>
#include <cstring>

namespace {

// Entries of a "User Data" or "Profiles" folder looked at: far more than any
// user has profiles, few enough that a junk tree is passed quickly.
const size_t kProfileEntriesLooked = 16384;

struct ChromiumFamily {
    const char* browser;
    const char* userData;  // under the local application-data folder
};

const ChromiumFamily kChromiumFamily[] = {
    { "Edge", "Microsoft\\Edge\\User Data" },
    { "Chrome", "Google\\Chrome\\User Data" },
    { "Brave", "BraveSoftware\\Brave-Browser\\User Data" },
    { "Vivaldi", "Vivaldi\\User Data" },
    { "Chromium", "Chromium\\User Data" },
};
const char kOperaFolder[] = "Opera Software\\Opera Stable";
const char kFirefoxProfiles[] = "Mozilla\\Firefox\\Profiles";

// A relative path with '\' separators made into one for this platform.
std::string Under(const std::string& base, const char* relative)
{
    std::string path = base;
    const char* part = relative;
    while (*part) {
        const char* end = std::strchr(part, '\\');
        size_t length = end ? static_cast<size_t>(end - part) : std::strlen(part);
        path = JoinCachePath(path, std::string(part, length));
        part += length;
        if (*part)
            ++part;
    }
    return path;
}

// An older browser keeps its cache straight in "Cache"; a newer one keeps
// "Cache\Cache_Data" and other folders beside it, so "Cache" counts only
// when it holds a cache of its own: every backend keeps an "index" there
// (the simple one also "index-dir"). Two look-ups, however junky the tree;
// a locked index still names the folder, so its row can say why.
bool HoldsOwnCache(const std::string& folder)
{
    return CacheFileExists(JoinCachePath(folder, "index")) ||
           CacheFolderExists(JoinCachePath(folder, "index-dir"));
}

// The cache folder of a Chromium profile (or of Opera's one folder), or "".
std::string ChromiumCacheFolder(const std::string& profileFolder)
{
    std::string cache = JoinCachePath(profileFolder, "Cache");
    std::string data = JoinCachePath(cache, "Cache_Data");
    if (CacheFolderExists(data))
        return data;
    if (CacheFolderExists(cache) && HoldsOwnCache(cache))
        return cache;
    return "";
}

// "Profile 12" -> 12; -1 for any other name.
long ProfileNumber(const std::string& name)
{
    const char prefix[] = "Profile ";
    const size_t prefixLength = sizeof(prefix) - 1;
    if (name.size() <= prefixLength || name.size() > prefixLength + 6 ||
        name.compare(0, prefixLength, prefix) != 0)
        return -1;
    long number = 0;
    for (size_t i = prefixLength; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// Default first, then Profile N by number, then every other name.
bool ProfileOrder(const std::string& a, const std::string& b)
{
    auto rank = [](const std::string& name) {
        if (name == "Default")
            return 0;
        return ProfileNumber(name) >= 0 ? 1 : 2;
    };
    int rankA = rank(a), rankB = rank(b);
    if (rankA != rankB)
        return rankA < rankB;
    if (rankA == 1)
        return ProfileNumber(a) < ProfileNumber(b);
    return a < b;
}

std::vector<std::string> SortedSubfolders(const std::string& folder)
{
    std::vector<std::string> names = ListCacheSubfolders(folder, kProfileEntriesLooked);
    std::sort(names.begin(), names.end(), ProfileOrder);
    return names;
}

FoundCache MakeFound(const std::string& browser, const std::string& profile,
                     const std::string& folder)
{
    FoundCache found;
    found.browser = browser;
    found.profile = profile;
    found.name = profile.empty() ? browser : browser + " (" + profile + ")";
    found.folder = folder;
    return found;
}

void FindChromiumProfiles(const std::string& localAppData, const ChromiumFamily& family,
                          std::vector<FoundCache>& found)
{
    std::string userData = Under(localAppData, family.userData);
    if (!CacheFolderExists(userData))
        return;
    for (const std::string& profile : SortedSubfolders(userData)) {
        std::string cache = ChromiumCacheFolder(JoinCachePath(userData, profile));
        if (!cache.empty())
            found.push_back(MakeFound(family.browser, profile, cache));
    }
}

void FindOpera(const std::string& localAppData, std::vector<FoundCache>& found)
{
    std::string cache = ChromiumCacheFolder(Under(localAppData, kOperaFolder));
    if (!cache.empty())
        found.push_back(MakeFound("Opera", "", cache));
}

void FindFirefoxProfiles(const std::string& localAppData, std::vector<FoundCache>& found)
{
    std::string profiles = Under(localAppData, kFirefoxProfiles);
    if (!CacheFolderExists(profiles))
        return;
    for (const std::string& profile : SortedSubfolders(profiles)) {
        std::string cache = JoinCachePath(JoinCachePath(profiles, profile), "cache2");
        if (CacheFolderExists(cache))
            found.push_back(MakeFound("Firefox", profile, cache));
    }
}

}  // namespace

std::vector<FoundCache> FindBrowserCaches(const std::string& localAppData)
{
    std::vector<FoundCache> found;
    if (localAppData.empty())
        return found;
    for (const ChromiumFamily& family : kChromiumFamily)
        FindChromiumProfiles(localAppData, family, found);
    FindOpera(localAppData, found);
    FindFirefoxProfiles(localAppData, found);
    return found;
}
