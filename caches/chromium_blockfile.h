// Chromium's blockfile backend (the Windows default): `index` with a hash table
// of cache addresses, entries and small data in `data_0`..`data_3`, larger data
// in `f_xxxxxx` files.
#pragma once
#include "caches/cache_reader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The reader, or null with `problem` saying why (unknown version, damaged index).
std::unique_ptr<CacheReader> OpenBlockfileCache(const std::string& folder, std::string& problem);

// Checks an index header in memory as OpenBlockfileCache does: "" when usable.
std::string CheckBlockfileIndexHeader(const uint8_t* data, size_t size, uint64_t fileSize);
// Reads one 256-byte-block entry record (1 to 4 blocks) in memory: its key when
// inline, its stream sizes and addresses, with every field bounded.
bool ParseBlockfileEntryRecord(const uint8_t* data, size_t size, CacheEntry& entry);

// What one sparse child holds of its 1 MB: `held` bytes in all, `contiguous`
// of them from its start, by its control data (stream 2: the header with the
// parent's signature, the bitmap of 1 KB blocks, the block written in part)
// and the size of its data stream.
struct SparseChildSummary {
    uint64_t held = 0;
    uint64_t contiguous = 0;
};
SparseChildSummary SummarizeSparseChild(const uint8_t* control, size_t size, uint64_t signature,
                                        uint64_t dataSize);
