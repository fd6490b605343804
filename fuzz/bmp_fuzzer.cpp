// BMP: Windows and OS/2 headers, bit fields, RLE runs and deltas.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImageBMP);
    return 0;
}
