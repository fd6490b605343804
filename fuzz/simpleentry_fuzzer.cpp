// One simple-backend entry file (`_0`), and the same bytes read as its sparse
// file (`_s`): whatever the ranges claim, what they hold lies in the file.
#include "caches/cache_entry.h"
#include "caches/chromium_simple.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CacheEntry entry;
    SparseLayout sparse;
    if (ParseSimpleEntryBytes(data, size, entry, &sparse) &&
        entry.body != BodyAvailability::Unreadable && entry.storedSize > size)
        __builtin_trap();
    uint64_t joined = 0;
    for (const SparseRange& piece : sparse.fromStart) {
        if (piece.offset != joined || piece.source + piece.skip + piece.length > size)
            __builtin_trap();
        joined += piece.length;
    }
    if (joined != sparse.contiguous || sparse.contiguous > sparse.held || sparse.held > size)
        __builtin_trap();
    return 0;
}
