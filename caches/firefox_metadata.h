// The metadata Firefox's cache2 appends to each entry file, big-endian:
//   body (offset bytes) | u32 hash | u16 per 256 KiB chunk | 8 x u32 header | key \0 | name \0 value \0 ...
// then a trailer: one u32, the offset (versions 1 to 3), or two, the version
// and the offset with bit 31 set for an encrypted entry (version 4).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "caches/cache_entry.h"

// Reads count bytes at offset into buffer; false unless all were read.
using FileRangeReader = std::function<bool(uint64_t offset, void* buffer, size_t count)>;

struct FirefoxMetadata {
    uint32_t trailerVersion = 0;  // 0: the one-u32 trailer of versions 1 to 3
    uint32_t version = 0;         // the header's own version
    bool encrypted = false;
    uint64_t bodySize = 0;  // the metadata offset: bytes of body (and alt-data) before it
    uint32_t fetchCount = 0;
    uint32_t lastFetched = 0;   // seconds since 1970
    uint32_t lastModified = 0;  // seconds since 1970
    uint32_t frecency = 0;
    uint32_t expiration = 0;
    uint32_t flags = 0;
    std::string key;
    std::vector<HttpHeader> elements;  // name/value pairs in stored order
    bool knownVersion = false;         // a layout this reader was written against
    std::string problem;               // what was wrong or unread; "" when all parsed
};

enum class FirefoxMetadataStatus { Ok, NoKey, NotCache2 };

// Bounded: reads at most the trailer and a metadata region of limited size.
FirefoxMetadataStatus ReadFirefoxMetadata(const FileRangeReader& read, uint64_t fileSize,
                                          FirefoxMetadata& metadata);
const std::string* FindElement(const FirefoxMetadata& metadata, const char* name);
