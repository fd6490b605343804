#include "caches/sparse_ranges.h"

#include <algorithm>

SparseLayout LayOutSparseRanges(std::vector<SparseRange> ranges)
{
    ranges.erase(std::remove_if(ranges.begin(), ranges.end(),
                                [](const SparseRange& range) {
                                    return range.length == 0 || range.offset > kMaxSparseEnd ||
                                           range.length > kMaxSparseEnd - range.offset;
                                }),
                 ranges.end());
    std::stable_sort(ranges.begin(), ranges.end(), [](const SparseRange& a, const SparseRange& b) {
        return a.offset < b.offset;
    });
    SparseLayout layout;
    uint64_t reached = 0;  // the end of everything counted so far
    bool gap = false;
    for (const SparseRange& range : ranges) {
        uint64_t end = range.offset + range.length;
        if (end <= reached)
            continue;
        uint64_t from = std::max(range.offset, reached);
        if (range.offset > reached)
            gap = true;
        layout.held += end - from;
        if (!gap) {
            SparseRange piece = range;
            piece.skip = range.skip + (from - range.offset);
            piece.offset = from;
            piece.length = end - from;
            layout.fromStart.push_back(piece);
            layout.contiguous = end;
        }
        reached = end;
    }
    return layout;
}
