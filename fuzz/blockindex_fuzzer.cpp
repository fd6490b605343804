// A blockfile cache from one input: its first byte pair says how much of the
// rest is `index` (header and hash table); the remainder is the blocks of
// data_1, and again of data_2 and data_3 and a separate file, so addresses of
// every kind land on fuzzed bytes.
#include "fuzz/cache_fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    size_t indexSize = (static_cast<size_t>(data[0]) | (static_cast<size_t>(data[1]) << 8));
    data += 2;
    size -= 2;
    if (indexSize > size)
        indexSize = size;
    fuzz::WriteFile("index", nullptr, 0, data, indexSize);
    const uint8_t* blocks = data + indexSize;
    size_t blocksSize = size - indexSize;
    fuzz::WriteBlockFile(0, 36, blocks, blocksSize);
    fuzz::WriteBlockFile(1, 256, blocks, blocksSize);
    fuzz::WriteBlockFile(2, 1024, blocks, blocksSize);
    fuzz::WriteBlockFile(3, 4096, blocks, blocksSize);
    fuzz::WriteFile("f_000001", nullptr, 0, blocks, blocksSize);
    fuzz::ReadWholeCache();
    return 0;
}
