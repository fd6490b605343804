// Detection: every decoder in the dispatch order tries the bytes until one
// takes them, so one that accepts what is not its format shows up here.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImageUnknown);
    return 0;
}
