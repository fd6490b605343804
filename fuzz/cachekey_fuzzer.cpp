// Chromium cache keys and the sparse children's keys.
#include "caches/chromium_key.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string key(reinterpret_cast<const char*>(data), size);
    ChromiumKey parsed = ParseChromiumKey(key);
    if (parsed.url.size() > size || parsed.topFrameSite.size() > size)
        __builtin_trap();
    std::string parent;
    uint64_t signature = 0, index = 0;
    if (ParseSparseChildKey(key, parent, signature, index) && parent.size() >= size)
        __builtin_trap();
    return 0;
}
