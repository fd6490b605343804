// PNM: binary and plain bitmaps, grey and colour, up to 16 bits.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImagePNM);
    return 0;
}
