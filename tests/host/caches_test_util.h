// What the cache tests share: Firefox entry files written by code, folders
// made fresh under the test temp folder, bodies read through the library.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "caches/cache_reader.h"

// One cache2 entry file as Firefox lays it out; every field can be bent.
struct Cache2EntryLayout {
    std::string key;
    std::string body;
    std::vector<std::pair<std::string, std::string>> elements;
    uint32_t headerVersion = 4;
    uint32_t trailerVersion = 4;  // 0: the one-u32 trailer of versions 1 to 3
    bool encrypted = false;
    uint32_t lastFetched = 1796794662;  // 2026-12-09T05:37:42Z
    uint32_t lastModified = 1796794600;
    bool keyNul = true;
    int64_t keySizeOverride = -1;
    int64_t offsetOverride = -1;
};

std::string ResponseHead(const std::string& statusLine, const std::vector<std::string>& headers);
std::vector<uint8_t> BuildCache2Entry(const Cache2EntryLayout& layout);

std::string CacheTempFolder(const std::string& name);                // emptied and made again
std::vector<std::string> ListSubfolders(const std::string& folder);  // sorted, "" when none
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFileBytes(const std::string& path);

// Every entry of the folder's cache (the reader must open).
std::vector<CacheEntry> ListEntries(const std::string& folder, uint64_t* skipped = nullptr);
// The decoded body and the decode's result.
std::string DecodedBody(CacheReader& reader, const CacheEntry& entry,
                        BodyDecodeResult* result = nullptr);

// The four caches a real-browser run makes, and a test name for each
// ("chromium-sql" -> "chromium_sql": gtest names take no dashes).
inline const std::vector<std::string> kBrowserCacheNames = { "firefox", "chromium-simple",
                                                             "chromium-blockfile", "chromium-sql" };
inline std::string CacheTestName(const testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    for (char& c : name)
        if (c == '-')
            c = '_';
    return name;
}
