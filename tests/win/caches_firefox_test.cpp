// The Firefox reader in the Windows tree, on the cache2 folder Firefox ESR
// wrote (the committed small set): the folder walked through _findfirst64,
// entry files read through _fseeki64 with ANSI paths, and every body the
// manifest names decoded byte-equal to what the server sent.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/served_manifest.h"
#include "caches/cache_reader.h"

namespace {

// The host path of the source tree as Wine's drive Z: shows it.
std::string OnDriveZ(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// url -> served body file, for the firefox rows.
std::map<std::string, std::string> ServedBodies(const std::string& set)
{
    std::map<std::string, std::string> bodies;
    for (const ManifestRow& row : ReadManifest(set + "\\manifest.tsv"))
        if (row.cache == "firefox" && !row.body.empty())
            bodies[row.url] = row.body;
    return bodies;
}

}  // namespace

TEST(FirefoxCache2Windows, CommittedCacheListedAndDecoded)
{
    std::string set = OnDriveZ(ZEMA_SMALL_CACHES);
    std::map<std::string, std::string> served = ServedBodies(set);
    ASSERT_FALSE(served.empty()) << set;
    OpenedCache cache = OpenCacheFolder(set + "\\firefox");
    ASSERT_TRUE(cache.reader) << cache.problem;
    EXPECT_EQ(cache.format, CacheFormat::FirefoxCache2);
    CacheEntry entry;
    size_t listed = 0, compared = 0;
    while (cache.reader->Next(entry, nullptr)) {
        ++listed;
        EXPECT_EQ(entry.topLevelSite, "http://127.0.0.1") << entry.key;
        auto body = served.find(entry.url);
        if (body == served.end() || entry.body != BodyAvailability::Complete)
            continue;
        std::string decoded;
        BodyDecodeResult result =
            ReadEntryBody(*cache.reader, entry, 64ull << 20, nullptr,
                          [&decoded](const uint8_t* data, size_t size) {
                              decoded.append(reinterpret_cast<const char*>(data), size);
                              return true;
                          });
        EXPECT_EQ(result.status, BodyDecodeStatus::Ok) << entry.url;
        std::string path = body->second;
        for (char& c : path)
            if (c == '/')
                c = '\\';
        EXPECT_TRUE(decoded == ReadAll(set + "\\" + path)) << entry.url;
        ++compared;
    }
    std::printf("%zu entries listed, %zu bodies compared\n", listed, compared);
    EXPECT_EQ(listed, 8u);
    EXPECT_EQ(compared, served.size());
    EXPECT_EQ(cache.reader->SkippedEntries(), 0u);
}
