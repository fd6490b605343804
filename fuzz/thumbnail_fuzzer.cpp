// The Image browser's thumbnail of bytes in memory, as a cache entry's body
// reaches it: the format detected, a small budget, an edge and now and then a
// stop picked by the input's last two bytes.
#include "fuzz/fuzz_harness.h"
#include "images/thumbnail.h"
#include "images/thumbnail_tile.h"

namespace {

// Small enough that a hostile declared size is refused, not allocated.
constexpr uint64_t budget = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint32_t edge = 8 + data[size - 1] % 121;
    // One input in sixteen asks to stop after its first few polls.
    const uint8_t stopByte = data[size - 2];
    const int stopAfter = (stopByte & 0xF0) == 0 ? stopByte : -1;
    int polls = 0;
    bool stopped = false;
    StopToken stop = [&] {
        stopped = stopped || (stopAfter >= 0 && polls >= stopAfter);
        ++polls;
        return stopped;
    };
    Thumbnail thumbnail =
        MakeThumbnail(PictureBytes::Memory(data, size, kImageUnknown), edge, budget, stop);
    fuzz::Check((thumbnail.status == ThumbnailStatus::kDone) == (thumbnail.tile != nullptr));
    fuzz::Check(thumbnail.status != ThumbnailStatus::kCancelled || stopped);
    if (thumbnail.status == ThumbnailStatus::kDone) {
        fuzz::Check(thumbnail.sourceWidth > 0 && thumbnail.sourceHeight > 0);
        fuzz::Check(thumbnail.fit.x + thumbnail.fit.width <= edge);
        fuzz::Check(thumbnail.fit.y + thumbnail.fit.height <= edge);
        // Outside the picture's place the tile stays white.
        const uint32_t stride = DibStride(edge, 24);
        const ThumbnailFit& fit = thumbnail.fit;
        for (uint32_t top = 0; top < edge; ++top)
            for (uint32_t x = 0; x < edge; ++x) {
                const bool inside =
                    x >= fit.x && x < fit.x + fit.width && top >= fit.y && top < fit.y + fit.height;
                const uint8_t* pixel =
                    &thumbnail.tile[static_cast<size_t>(edge - 1 - top) * stride + 3 * x];
                fuzz::Check(inside || (pixel[0] == 0xFF && pixel[1] == 0xFF && pixel[2] == 0xFF));
            }
    }
    return 0;
}
