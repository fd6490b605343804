// Wireless bitmaps: type 0 only; the sides are multi-byte integers, rows
// packed from the top.
#include "images/codec/image_decoders.h"

namespace {

// 7 bits a byte, most significant group first, the high bit set on every
// byte but the last. Four bytes hold 28 bits, far beyond any side the
// memory bound lets through; a longer integer is refused.
bool ReadSide(CImageStream& s, uint32_t& side)
{
    side = 0;
    for (int i = 0; i < 4; ++i) {
        uint8_t b;
        if (!s.ReadAll(&b, 1))
            return false;
        side = side << 7 | (b & 0x7F);
        if (!(b & 0x80))
            return side != 0;
    }
    return false;
}

}  // namespace

bool CImageObjectWBMP::Decode(CImageStream& s)
{
    uint8_t head[2];
    if (!s.ReadAll(head, sizeof head) || head[1] != 0)
        return Fail({ DecodeStatus::kUnsupported, "Not a WBMP" });
    if (head[0] != 0)
        return Fail({ DecodeStatus::kUnsupported, "Unsupported WBMP type" });
    uint32_t width, height;
    if (!ReadSide(s, width) || !ReadSide(s, height))
        return Fail({ DecodeStatus::kCorrupt, "Corrupted WBMP" });
    // Every row must be in the file before any is allocated; no side the
    // bound refuses can be, so either refusal reads as damage.
    const uint32_t bytes = (width + 7) / 8;
    if (!WithinMemoryBound(width, height, 1) ||
        s.Remaining() < static_cast<int64_t>(bytes) * height)
        return Fail({ DecodeStatus::kCorrupt, "Corrupted WBMP" });
    if (!Create(width, height, 1, kImageWBMP))
        return Fail({ Status(), "WBMP Create failed" });
    SetPaletteColor(0, 0, 0, 0);
    SetPaletteColor(1, 255, 255, 255);
    for (uint32_t y = 0; y < height; ++y)
        if (!s.ReadAll(Row(static_cast<int32_t>(height - 1 - y)), bytes))
            return Fail({ DecodeStatus::kCorrupt, "Corrupted WBMP" });
    return true;
}
