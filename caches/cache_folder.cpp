#include "caches/cache_files.h"
#include "caches/cache_reader.h"
#include "caches/firefox_cache2.h"

const char* CacheFormatName(CacheFormat format)
{
    switch (format) {
    case CacheFormat::None:
        return "none";
    case CacheFormat::ChromiumBlockfile:
        return "blockfile";
    case CacheFormat::ChromiumSimple:
        return "simple";
    case CacheFormat::ChromiumSql:
        return "sql";
    case CacheFormat::FirefoxCache2:
        return "cache2";
    }
    return "none";
}

CacheFormat DetectCacheFormat(const std::string& folder)
{
    if (IsFirefoxCache2Folder(folder))
        return CacheFormat::FirefoxCache2;
    return CacheFormat::None;
}

OpenedCache OpenCacheFolder(const std::string& folder)
{
    OpenedCache opened;
    opened.format = DetectCacheFormat(folder);
    switch (opened.format) {
    case CacheFormat::FirefoxCache2:
        opened.reader = OpenFirefoxCache2(folder, opened.problem);
        break;
    default:
        opened.problem = CacheFolderExists(folder) ? "no browser cache found in " + folder
                                                   : "no such folder: " + folder;
        break;
    }
    return opened;
}

BodyDecodeResult ReadEntryBody(CacheReader& reader, const CacheEntry& entry, uint64_t outputBound,
                               const CacheStopCheck& stop, const DecodedBodySink& sink)
{
    return DecodeBody(reader.OpenStoredBody(entry), entry.contentEncoding, outputBound, stop, sink);
}
