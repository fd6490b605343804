// What the file-based readers share about a stored body: where its bytes lie
// and whether they make the whole resource.
#pragma once
#include "caches/body_decoder.h"
#include "caches/cache_entry.h"
#include "caches/cache_files.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// `length` bytes of the body at `fileOffset` in `path`, in body order.
struct StoredPiece {
    std::string path;
    uint64_t fileOffset = 0;
    uint64_t length = 0;
};

// Reads the pieces in turn; -1 when a file is gone or shorter than a piece
// promised. A file the caller has open already (the entry file it has just
// read the headers from) is read through that handle: under Wine each open
// costs a round trip to the server.
RawBodyReader ReadStoredPieces(std::vector<StoredPiece> pieces,
                               std::unique_ptr<CacheFile> opened = nullptr);

// A body is complete when its bytes contiguous from offset 0 reach the length the
// response names (or, with no length named, when nothing is known to be missing).
BodyAvailability JudgeStoredBody(int64_t resourceLength, uint64_t contiguous, bool gapsKnown);
