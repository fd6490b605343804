// The caches real browsers wrote from the test site (made by the
// make_browser_caches step, and the small committed ones): every response
// the manifest records that the browser stored is listed once, with its URL,
// top-level site, status, content type and a decoded body byte-equal to what
// was served.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "caches/cache_files.h"
#include "caches/firefox_response.h"
#include "tests/common/served_manifest.h"
#include "tests/host/caches_test_util.h"

namespace {

// The folders holding a manifest: the fresh caches and the committed ones.
std::vector<std::string> CacheSets()
{
    std::vector<std::string> sets = { ZEMA_BROWSER_CACHES };
    for (const std::string& name : ListSubfolders(ZEMA_COMMITTED_CACHES))
        sets.push_back(JoinCachePath(ZEMA_COMMITTED_CACHES, name));
    return sets;
}

std::string OriginOf(const std::string& url)
{
    size_t scheme = url.find("://");
    if (scheme == std::string::npos)
        return "";
    return url.substr(0, url.find('/', scheme + 3));
}

class RealCache : public testing::TestWithParam<std::string> {};

void CheckCache(const std::string& set, const std::string& cacheName)
{
    std::string folder = JoinCachePath(set, cacheName);
    const std::string manifest = JoinCachePath(set, "manifest.tsv");
    std::string header;
    size_t malformedRows = 0;
    std::vector<ManifestRow> served;
    for (const ManifestRow& row : ReadManifest(manifest, &header, &malformedRows))
        if (row.cache == cacheName)
            served.push_back(row);
    EXPECT_EQ(header, kManifestHeader) << manifest;
    EXPECT_EQ(malformedRows, 0u) << manifest;
    ASSERT_FALSE(served.empty()) << "no manifest rows for " << folder;
    OpenedCache cache = OpenCacheFolder(folder);
    ASSERT_TRUE(cache.reader) << folder << ": " << cache.problem;

    std::map<std::string, int> keys;
    std::map<std::pair<std::string, std::string>, CacheEntry> byUrlAndSite;
    std::set<std::string> servedUrls, servedOrigins;
    for (const ManifestRow& row : served) {
        servedUrls.insert(row.url);
        servedOrigins.insert(OriginOf(row.url));
    }
    CacheEntry entry;
    size_t listed = 0;
    while (cache.reader->Next(entry, nullptr)) {
        ++listed;
        EXPECT_EQ(++keys[entry.key], 1) << "key listed twice: " << entry.key;
        // Every response of the test site listed is one the server sent: the URL
        // came out of the key whole. The browser's own pages (about:home) and
        // entries that hold no response (Firefox's predictor keeps its notes
        // under an origin's URL) are left alone.
        if (entry.status != 0 && servedOrigins.count(OriginOf(entry.url)))
            EXPECT_TRUE(servedUrls.count(entry.url))
                << "not served: " << entry.url << " (key " << entry.key << ")";
        byUrlAndSite[{ entry.url, SiteWithoutPort(entry.topLevelSite) }] = entry;
    }

    size_t found = 0, bodiesCompared = 0;
    std::set<std::pair<std::string, std::string>> checked;
    for (const ManifestRow& row : served) {
        auto it = byUrlAndSite.find({ row.url, SiteWithoutPort(row.site) });
        // A URL sent again (revalidated, fetched twice) is stored once.
        if (it == byUrlAndSite.end() || !checked.insert(it->first).second)
            continue;
        ++found;
        const CacheEntry& stored = it->second;
        SCOPED_TRACE(folder + " " + row.url + " from " + row.site);
        EXPECT_EQ(std::to_string(stored.status), row.status);
        EXPECT_EQ(stored.contentType, MediaType(row.contentType));
        EXPECT_EQ(stored.contentEncoding, row.contentEncoding);
        if (row.body.empty() || stored.body != BodyAvailability::Complete)
            continue;
        std::vector<uint8_t> expected = ReadFileBytes(JoinCachePath(set, row.body));
        BodyDecodeResult result;
        std::string body = DecodedBody(*cache.reader, stored, &result);
        EXPECT_EQ(result.status, BodyDecodeStatus::Ok) << BodyDecodeStatusText(result.status);
        EXPECT_TRUE(body == std::string(expected.begin(), expected.end()))
            << "decoded " << body.size() << " bytes, served " << expected.size();
        ++bodiesCompared;
    }
    std::printf("%s: %zu entries listed, %zu of %zu manifest rows found, %zu bodies compared, %llu "
                "skipped\n",
                folder.c_str(), listed, found, served.size(), bodiesCompared,
                static_cast<unsigned long long>(cache.reader->SkippedEntries()));
    EXPECT_GT(found, 0u);
    EXPECT_GT(bodiesCompared, 0u);
}

}  // namespace

TEST_P(RealCache, ManifestRowsFoundWithTheirBodies)
{
    for (const std::string& set : CacheSets()) {
        if (set != ZEMA_BROWSER_CACHES && !CacheFolderExists(JoinCachePath(set, GetParam())))
            continue;  // a committed set need not hold every cache
        CheckCache(set, GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(Browsers, RealCache, testing::ValuesIn(kBrowserCacheNames), CacheTestName);
