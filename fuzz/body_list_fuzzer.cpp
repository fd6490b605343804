// Header values with several codings, none, or ones this reader refuses: the
// first byte picks the value, the rest is the stored body. With no coding
// named, a body that starts with a zstd frame magic is decoded as zstd.
#include "fuzz/body_harness.h"

namespace {

const char* const kValues[] = { "",
                                "identity",
                                "gzip, br",
                                "br, gzip",
                                "zstd, gzip",
                                "deflate, zstd",
                                "x-gzip, deflate",
                                "br, br",
                                "gzip, zstd, br",
                                "compress",
                                " Gzip ,, BR ",
                                "zstd, zstd" };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const char* value = kValues[data[0] % (sizeof(kValues) / sizeof(kValues[0]))];
    fuzz::DecodeBothWays(data + 1, size - 1, value);
    return 0;
}
