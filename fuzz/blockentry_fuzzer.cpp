// Blockfile entries from one input: a fixed index whose every slot names an
// entry in data_1, whose blocks are the input (entry records, long keys and
// small streams alike, sparse children and their control data among them).
// The input is also read as one child's control data, under its own signature
// and a data stream size taken from its last bytes.
#include "fuzz/cache_fuzz_files.h"

#include "caches/chromium_blockfile.h"
#include "caches/cache_entry.h"

#include <vector>

namespace {

const size_t kSlots = 16;

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (size_t b = 0; b < 4; ++b)
        bytes[at + b] = static_cast<uint8_t>(value >> (8 * b));
}

void WriteIndex()
{
    std::vector<uint8_t> index(0x170 + 4 * kSlots);
    Put32(index, 0, 0xC103CAC3u);
    Put32(index, 4, 0x30000u);
    Put32(index, 28, kSlots);
    // Slot i: 1 to 4 blocks of 256 bytes at block 4 * i of data_1.
    for (uint32_t i = 0; i < kSlots; ++i)
        Put32(index, 0x170 + 4 * i, 0xA0010000u | ((i & 3) << 24) | (4 * i));
    fuzz::WriteFile("index", nullptr, 0, index.data(), index.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool written = (WriteIndex(), true);
    (void)written;
    CacheEntry record;
    ParseBlockfileEntryRecord(data, size, record);
    if (size >= 8) {
        uint64_t signature = 0, dataSize = 0;
        for (size_t b = 0; b < 8; ++b) {
            signature |= uint64_t(data[b]) << (8 * b);
            dataSize |= uint64_t(data[size - 8 + b]) << (8 * b);
        }
        SparseChildSummary child = SummarizeSparseChild(data, size, signature, dataSize);
        if (child.contiguous > child.held || child.held > dataSize || child.held > (1u << 20))
            __builtin_trap();
    }
    fuzz::WriteBlockFile(1, 256, data, size);
    fuzz::WriteBlockFile(2, 1024, data, size);
    fuzz::ReadWholeCache();
    return 0;
}
