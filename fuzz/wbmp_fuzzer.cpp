// WBMP: multi-byte sides and one-bit rows.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImageWBMP);
    return 0;
}
