// Range-fetched bodies kept as pieces at offsets of the resource: how many
// bytes they hold and which of them continue each other from offset 0.
#pragma once
#include <cstdint>
#include <vector>

// `length` bytes of the resource from `offset`; `source` is the reader's own
// way back to them (a file offset, a blob id).
struct SparseRange {
    uint64_t offset = 0;
    uint64_t length = 0;
    uint64_t source = 0;
    uint64_t skip = 0;  // bytes at the start of the source already given by an earlier range
};

struct SparseLayout {
    uint64_t held = 0;                   // bytes of the resource held, each counted once
    uint64_t contiguous = 0;             // bytes held without a gap from offset 0
    std::vector<SparseRange> fromStart;  // the pieces making up `contiguous`, in order
};

// Ranges in any order, overlapping or not; a range whose end would pass
// kMaxSparseEnd is left out, so the sums cannot overflow.
const uint64_t kMaxSparseEnd = 1ull << 48;
SparseLayout LayOutSparseRanges(std::vector<SparseRange> ranges);
