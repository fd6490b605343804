// PCX: planes, run lengths and the trailing 256-colour palette.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImagePCX);
    return 0;
}
