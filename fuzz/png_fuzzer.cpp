// PNG through the library: our reader, row steps, alpha split and transparency.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImagePNG);
    return 0;
}
