#pragma once
#include "caches/body_decoder.h"
#include "caches/cache_entry.h"
#include <memory>
#include <string>

class CacheReader {
public:
    virtual ~CacheReader() = default;
    virtual CacheFormat Format() const = 0;
    // The next entry; false at the end or when stop() says so. Damaged entries that still name a
    // key are returned with `problem` set; entries with nothing readable are skipped and counted.
    virtual bool Next(CacheEntry& entry, const CacheStopCheck& stop) = 0;
    // The stored body's bytes from offset 0 (for a partial body the contiguous part only).
    virtual RawBodyReader OpenStoredBody(const CacheEntry& entry) = 0;
    uint64_t SkippedEntries() const { return m_skipped; }

protected:
    uint64_t m_skipped = 0;
};

struct OpenedCache {
    CacheFormat format = CacheFormat::None;
    std::unique_ptr<CacheReader> reader;  // null when the folder holds no readable cache
    std::string problem;                  // why not, e.g. "unknown blockfile version 4.0"
};

// Tells the format from the folder's contents (never from the platform).
CacheFormat DetectCacheFormat(const std::string& folder);
OpenedCache OpenCacheFolder(const std::string& folder);
// OpenStoredBody through DecodeBody: the decoded body, bounded and stoppable.
BodyDecodeResult ReadEntryBody(CacheReader& reader, const CacheEntry& entry, uint64_t outputBound,
                               const CacheStopCheck& stop, const DecodedBodySink& sink);
