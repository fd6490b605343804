#include "caches/cache_reader.h"

#include "caches/cache_files.h"
#include "caches/chromium_blockfile.h"
#include "caches/chromium_simple.h"
#include "caches/chromium_sql.h"
#include "caches/firefox_cache2.h"

#include <cstring>

namespace {

const uint32_t kBlockfileMagic = 0xC103CAC3;
const char kSqlIndexMark[] = "SQLCache";
// A simple cache is told by its index-dir or, when that is gone (a copy of
// the entry files alone), by the first entry file among this many names.
const size_t kNamesLookedAt = 4096;

bool ReadStart(const std::string& path, uint8_t* buffer, size_t count)
{
    CacheFile file;
    return file.Open(path) && file.ReadExact(0, buffer, count);
}

bool HasSimpleEntryFiles(const std::string& folder)
{
    for (const std::string& name : ListCacheFolder(folder, kNamesLookedAt)) {
        if (IsSimpleEntryName(name))
            return true;
    }
    return false;
}

}  // namespace

const char* CacheFormatName(CacheFormat format)
{
    switch (format) {
    case CacheFormat::ChromiumBlockfile:
        return "blockfile";
    case CacheFormat::ChromiumSimple:
        return "simple";
    case CacheFormat::ChromiumSql:
        return "sql";
    case CacheFormat::FirefoxCache2:
        return "cache2";
    case CacheFormat::None:
        break;
    }
    return "none";
}

CacheFormat DetectCacheFormat(const std::string& folder)
{
    std::string index = JoinCachePath(folder, "index");
    uint8_t start[8] = {};
    if (ReadStart(index, start, sizeof(start))) {
        if (LoadLe32(start) == kBlockfileMagic)
            return CacheFormat::ChromiumBlockfile;
        if (std::memcmp(start, kSqlIndexMark, sizeof(start)) == 0)
            return CacheFormat::ChromiumSql;
    }
    if (IsFirefoxCache2Folder(folder))
        return CacheFormat::FirefoxCache2;
    if (CacheFileExists(JoinCachePath(JoinCachePath(folder, "index-dir"), "the-real-index")) ||
        HasSimpleEntryFiles(folder))
        return CacheFormat::ChromiumSimple;
    return CacheFormat::None;
}

OpenedCache OpenCacheFolder(const std::string& folder)
{
    OpenedCache opened;
    opened.format = DetectCacheFormat(folder);
    switch (opened.format) {
    case CacheFormat::ChromiumSimple:
        opened.reader.reset(new ChromiumSimpleReader(folder));
        break;
    case CacheFormat::ChromiumBlockfile:
        opened.reader = OpenBlockfileCache(folder, opened.problem);
        break;
    case CacheFormat::ChromiumSql:
        opened.reader = OpenSqlCache(folder, opened.problem);
        break;
    case CacheFormat::FirefoxCache2:
        opened.reader = OpenFirefoxCache2(folder, opened.problem);
        break;
    case CacheFormat::None:
        opened.problem = CacheFolderExists(folder) ? "no cache in this folder" : "no such folder";
        break;
    }
    return opened;
}

BodyDecodeResult ReadEntryBody(CacheReader& reader, const CacheEntry& entry, uint64_t outputBound,
                               const CacheStopCheck& stop, const DecodedBodySink& sink)
{
    if (entry.body == BodyAvailability::Unreadable) {
        BodyDecodeResult result;
        result.status = BodyDecodeStatus::ReadFailed;
        return result;
    }
    return DecodeBody(reader.OpenStoredBody(entry), entry.contentEncoding, outputBound, stop, sink);
}
