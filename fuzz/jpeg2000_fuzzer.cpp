// JPEG 2000 through OpenJPEG, both of our wrappers: J2K, and JP2 and JPC as
// components first; the first byte picks a second component now and then.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (uint32_t type : { kImageJ2K, kImageJP2, kImageJPC })
        fuzz::DecodeStill(data, size, type);
    return 0;
}
