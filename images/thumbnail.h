// One picture's thumbnail tile from its bytes alone: read and decoded (a
// large JPEG already shrunk towards the tile), fitted and drawn on a white
// tile. Portable, so the scan, the host tests, the benchmark and the fuzz
// target all run the one path the viewer ships.
#pragma once
#include "images/codec/image_types.h"
#include "images/thumbnail_fit.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// No picture of a cache is worth more than this, pixels or a JPEG's working
// memory: 16,000 pixels square in grey, 9,400 in colour, a progressive JPEG
// of some 85 million pixels. A scan then never needs more than this on top
// of its tiles, whatever it meets.
constexpr uint64_t kThumbnailMemoryBudget = 256u << 20;

enum class ThumbnailStatus {
    kDone,
    kNotAPicture,  // the extension names no format, or the bytes match none
    kTooLarge,     // its pixels or its decoding would outgrow the budget
    kCancelled,    // the stop token asked to stop
    kTooSlow,      // its decoding outran the time a thumbnail may take
    kCorrupt,      // unreadable, or not what its format says
    kSizeRefused,  // the caller's size test turned the picture down
};

// Where a picture's bytes are: a file, read where it lies, or a block in
// memory that outlives the call.
class PictureBytes {
public:
    // The format is the one the file's extension names.
    static PictureBytes File(const char* path);
    // A type of kImageUnknown detects the format from the bytes; detection
    // tells only whether some decoder read them, so a picture over the
    // budget is then not a picture.
    static PictureBytes Memory(const void* data, size_t size, uint32_t type);

    const char* Path() const { return m_path; }
    const void* Data() const { return m_data; }
    size_t Size() const { return m_size; }
    uint32_t Type() const { return m_type; }

private:
    const char* m_path = nullptr;
    const void* m_data = nullptr;
    size_t m_size = 0;
    uint32_t m_type = 0;
};

// Asked at every row or frame of the decoding and between the stages; true
// ends the work with kCancelled. An empty token never stops.
using StopToken = std::function<bool()>;

// The caller's test of the picture's size in its bytes, asked once it is
// decoded and before the work of fitting it to the tile; an empty test
// takes every size.
using SizeTest = std::function<bool(uint32_t width, uint32_t height)>;

struct Thumbnail {
    ThumbnailStatus status = ThumbnailStatus::kCorrupt;
    // TileBytes(edge) bytes, a 24-bit bottom-up DIB's rows; set when done.
    std::unique_ptr<uint8_t[]> tile;
    // The picture's size in its bytes, before any shrinking; set when done.
    uint32_t sourceWidth = 0;
    uint32_t sourceHeight = 0;
    ThumbnailFit fit = {};  // where the picture lies on the tile
};

Thumbnail MakeThumbnail(const PictureBytes& bytes, uint32_t edge, uint64_t memoryBudget,
                        const StopToken& stop, const SizeTest& acceptsSize = {});
