// What the file-based readers share about a stored body: where its bytes lie
// and whether they make the whole resource.
#pragma once
#include "caches/body_decoder.h"
#include "caches/cache_entry.h"

#include <cstdint>
#include <string>
#include <vector>

// `length` bytes of the body at `fileOffset` in `path`, in body order.
struct StoredPiece {
    std::string path;
    uint64_t fileOffset = 0;
    uint64_t length = 0;
};

// Reads the pieces in turn; -1 when a file is gone or shorter than a piece promised.
RawBodyReader ReadStoredPieces(std::vector<StoredPiece> pieces);

// A body is complete when its bytes contiguous from offset 0 reach the length the
// response names (or, with no length named, when nothing is known to be missing).
BodyAvailability JudgeStoredBody(int64_t resourceLength, uint64_t contiguous, bool gapsKnown);
