// Cached bodies stored with Content-Encoding: zstd.
#include "fuzz/body_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeBothWays(data, size, "zstd");
    return 0;
}
