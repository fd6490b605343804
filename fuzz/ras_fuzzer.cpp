// Sun raster: colour maps and padded rows.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImageRAS);
    return 0;
}
