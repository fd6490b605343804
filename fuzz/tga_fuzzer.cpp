// Targa: no signature, so every input reaches the header checks; colour
// maps, run lengths, either origin.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImageTGA);
    return 0;
}
