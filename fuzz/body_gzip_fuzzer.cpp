// Cached bodies stored with Content-Encoding: gzip.
#include "fuzz/body_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeBothWays(data, size, "gzip");
    return 0;
}
