// One simple-backend entry file (`_0`), and the same bytes read as its sparse
// file (`_s`).
#include "caches/cache_entry.h"
#include "caches/chromium_simple.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CacheEntry entry;
    if (ParseSimpleEntryBytes(data, size, entry) && entry.body != BodyAvailability::Unreadable &&
        entry.storedSize > size)
        __builtin_trap();
    return 0;
}
