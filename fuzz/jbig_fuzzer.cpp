// JBIG through JBIG-KIT: the whole file at once, one bi-level plane.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImageJBG);
    return 0;
}
