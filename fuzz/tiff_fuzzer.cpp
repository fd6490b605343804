// TIFF through libtiff: our client procedures, strips, tiles and the second page.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImageTIFF);
    return 0;
}
