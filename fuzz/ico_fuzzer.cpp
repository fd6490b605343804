// ICO: the directory, then a BMP or PNG entry; the first byte picks a second entry.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::DecodeStill(data, size, kImageICO);
    return 0;
}
