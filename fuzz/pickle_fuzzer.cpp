// The response info pickle of stream 0 / `head`.
#include "caches/http_response_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CacheEntry entry;
    std::string problem;
    bool parsed = ParseHttpResponseInfo(data, size, entry, problem);
    if (parsed != problem.empty())
        __builtin_trap();
    if (parsed && (entry.statusLine.empty() || entry.headers.size() > size))
        __builtin_trap();
    return 0;
}
