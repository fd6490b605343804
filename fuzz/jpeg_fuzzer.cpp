// JPEG through the library: our source manager, error exit and colour conversion.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImageJPEG);
    return 0;
}
