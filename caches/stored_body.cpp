#include "caches/stored_body.h"

#include "caches/cache_files.h"

#include <algorithm>
#include <memory>

namespace {

struct PieceCursor {
    std::vector<StoredPiece> pieces;
    size_t index = 0;
    uint64_t done = 0;  // bytes of pieces[index] already handed out
    std::unique_ptr<CacheFile> file;
    bool failed = false;
};

int64_t ReadNext(PieceCursor& cursor, uint8_t* buffer, size_t capacity)
{
    if (cursor.failed)
        return -1;
    while (cursor.index < cursor.pieces.size()) {
        const StoredPiece& piece = cursor.pieces[cursor.index];
        if (cursor.done >= piece.length) {
            ++cursor.index;
            cursor.done = 0;
            continue;
        }
        if (cursor.file->Path() != piece.path && !cursor.file->Open(piece.path)) {
            cursor.failed = true;
            return -1;
        }
        uint64_t want = std::min<uint64_t>(capacity, piece.length - cursor.done);
        int64_t got =
            cursor.file->ReadAt(piece.fileOffset + cursor.done, buffer, static_cast<size_t>(want));
        if (got <= 0) {
            cursor.failed = true;
            return -1;
        }
        cursor.done += static_cast<uint64_t>(got);
        return got;
    }
    return 0;
}

}  // namespace

RawBodyReader ReadStoredPieces(std::vector<StoredPiece> pieces, std::unique_ptr<CacheFile> opened)
{
    auto cursor = std::make_shared<PieceCursor>();
    cursor->pieces = std::move(pieces);
    cursor->file = opened ? std::move(opened) : std::make_unique<CacheFile>();
    return [cursor](uint8_t* buffer, size_t capacity) -> int64_t {
        if (capacity == 0)
            return 0;
        return ReadNext(*cursor, buffer, capacity);
    };
}

BodyAvailability JudgeStoredBody(int64_t resourceLength, uint64_t contiguous, bool gapsKnown)
{
    if (contiguous == 0)
        return resourceLength > 0 || gapsKnown ? BodyAvailability::Partial
                                               : BodyAvailability::Absent;
    if (resourceLength >= 0)
        return contiguous >= static_cast<uint64_t>(resourceLength) ? BodyAvailability::Complete
                                                                   : BodyAvailability::Partial;
    return gapsKnown ? BodyAvailability::Partial : BodyAvailability::Complete;
}
