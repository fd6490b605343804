// Finding the browsers' caches in a made-up local application-data folder:
// the committed real caches copied to where each browser keeps its own, with
// folders beside them that hold no cache, and a junk tree that must be
// passed quickly.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "caches/cache_discovery.h"
#include "caches_test_util.h"
#include "tests/common/served_manifest.h"

namespace fs = std::filesystem;

namespace {

const std::string kSmall = std::string(ZEMA_COMMITTED_CACHES) + "/small";

void PlaceCache(const std::string& fixture, const fs::path& where)
{
    fs::create_directories(where);
    fs::copy(kSmall + "/" + fixture, where, fs::copy_options::recursive);
}

std::map<std::string, size_t> ManifestCounts()
{
    std::map<std::string, size_t> counts;
    for (const ManifestRow& row : ReadManifest(kSmall + "/manifest.tsv"))
        ++counts[row.cache];
    return counts;
}

}  // namespace

TEST(CacheDiscovery, FindsEveryProfileWhereEachBrowserKeepsIt)
{
    fs::path root = CacheTempFolder("discovery");
    fs::path edge = root / "Microsoft/Edge/User Data";
    PlaceCache("chromium-blockfile", edge / "Default/Cache/Cache_Data");
    PlaceCache("chromium-simple", edge / "Profile 10/Cache/Cache_Data");
    PlaceCache("chromium-sql", edge / "Profile 2/Cache/Cache_Data");
    PlaceCache("chromium-simple", edge / "Work/Cache/Cache_Data");
    // Profiles without a cache, and a "Cache" that only holds other caches.
    fs::create_directories(edge / "System Profile");
    fs::create_directories(edge / "Profile 3/Cache/js");
    fs::create_directories(edge / "Crashpad");
    // An older Chrome keeps its cache straight in "Cache".
    PlaceCache("chromium-blockfile", root / "Google/Chrome/User Data/Default/Cache");
    PlaceCache("chromium-sql",
               root / "BraveSoftware/Brave-Browser/User Data/Default/Cache/Cache_Data");
    PlaceCache("chromium-simple", root / "Opera Software/Opera Stable/Cache/Cache_Data");
    fs::path firefox = root / "Mozilla/Firefox/Profiles";
    PlaceCache("firefox", firefox / "x1y2.default-release/cache2");
    fs::create_directories(firefox / "abcd.default");  // never browsed: no cache2
    fs::create_directories(root / "Vivaldi/User Data/Default");

    std::vector<FoundCache> found = FindBrowserCaches(root.string());

    struct Expected {
        const char* name;
        const char* browser;
        const char* profile;
        fs::path folder;
        const char* fixture;
    };
    const Expected expected[] = {
        { "Edge (Default)", "Edge", "Default", edge / "Default/Cache/Cache_Data",
          "chromium-blockfile" },
        { "Edge (Profile 2)", "Edge", "Profile 2", edge / "Profile 2/Cache/Cache_Data",
          "chromium-sql" },
        { "Edge (Profile 10)", "Edge", "Profile 10", edge / "Profile 10/Cache/Cache_Data",
          "chromium-simple" },
        { "Edge (Work)", "Edge", "Work", edge / "Work/Cache/Cache_Data", "chromium-simple" },
        { "Chrome (Default)", "Chrome", "Default", root / "Google/Chrome/User Data/Default/Cache",
          "chromium-blockfile" },
        { "Brave (Default)", "Brave", "Default",
          root / "BraveSoftware/Brave-Browser/User Data/Default/Cache/Cache_Data", "chromium-sql" },
        { "Opera", "Opera", "", root / "Opera Software/Opera Stable/Cache/Cache_Data",
          "chromium-simple" },
        { "Firefox (x1y2.default-release)", "Firefox", "x1y2.default-release",
          firefox / "x1y2.default-release/cache2", "firefox" },
    };
    ASSERT_EQ(found.size(), std::size(expected));
    std::map<std::string, size_t> served = ManifestCounts();
    for (size_t i = 0; i < found.size(); ++i) {
        const Expected& want = expected[i];
        EXPECT_EQ(found[i].name, want.name);
        EXPECT_EQ(found[i].browser, want.browser);
        EXPECT_EQ(found[i].profile, want.profile);
        EXPECT_TRUE(fs::equivalent(found[i].folder, want.folder)) << found[i].folder;
        // What was found is a cache the readers open, whole.
        EXPECT_EQ(ListEntries(found[i].folder).size(), served[want.fixture]) << want.name;
    }
}

TEST(CacheDiscovery, NothingToFindInAnEmptyOrMissingFolder)
{
    fs::path root = CacheTempFolder("discovery-empty");
    EXPECT_TRUE(FindBrowserCaches(root.string()).empty());
    EXPECT_TRUE(FindBrowserCaches((root / "missing").string()).empty());
    EXPECT_TRUE(FindBrowserCaches("").empty());
}

TEST(CacheDiscovery, JunkTreeEndsQuickly)
{
    fs::path root = CacheTempFolder("discovery-junk");
    fs::path userData = root / "Google/Chrome/User Data";
    fs::path profiles = root / "Mozilla/Firefox/Profiles";
    const int kJunk = 3000;
    for (int i = 0; i < kJunk; ++i) {
        fs::create_directories(userData / ("junk " + std::to_string(i)) / "Cache");
        fs::create_directories(profiles / ("p" + std::to_string(i)));
    }
    PlaceCache("firefox", profiles / "real.default/cache2");

    auto start = std::chrono::steady_clock::now();
    std::vector<FoundCache> found = FindBrowserCaches(root.string());
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Firefox (real.default)");
    EXPECT_LT(seconds, 2.0);
    std::printf("junk tree of %d + %d profile folders: %.3f s, %zu found\n", kJunk, kJunk, seconds,
                found.size());
}
