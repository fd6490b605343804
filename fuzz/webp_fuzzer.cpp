// WebP through libwebp: stills and, by the last byte, a later frame of an
// animation as its canvas shows it.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Decode(data, size, kImageWEBP, fuzz::FrameFromLastByte(data, size));
    return 0;
}
