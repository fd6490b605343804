// GIF: the frame picked by the last byte, read with the fast frame count and
// with the plain one, which must agree.
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::CompareGifReadings(data, size, fuzz::FrameFromLastByte(data, size));
    return 0;
}
