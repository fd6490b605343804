// A Firefox cache2 entry file: trailer, metadata, key, elements and the
// response head, read into the entry the viewer lists.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "caches/firefox_cache2.h"
#include "caches/firefox_metadata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FileRangeReader read = [data, size](uint64_t offset, void* buffer, size_t count) {
        if (offset > size || count > size - offset)
            return false;
        std::memcpy(buffer, data + offset, count);
        return true;
    };
    FirefoxMetadata metadata;
    if (ReadFirefoxMetadata(read, size, metadata) != FirefoxMetadataStatus::Ok)
        return 0;
    if (metadata.key.empty() || metadata.bodySize > size)
        __builtin_trap();
    CacheEntry entry;
    FillEntryFromMetadata(metadata, entry);
    if (entry.storedSize > metadata.bodySize)
        __builtin_trap();
    return 0;
}
