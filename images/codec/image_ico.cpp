// Icons and cursors: one directory entry decoded, then the AND mask turned
// into a transparent index, a transparent colour or an alpha mask.
#include <cstring>
#include <vector>

#include "images/codec/alpha_split.h"
#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"

namespace {

struct IcoEntry {
    uint32_t width, height, size, offset;
};

// Icons fail without a text: the status alone says why.
DecodeStatus ReadEntry(CImageStream& s, int64_t start, int32_t frame, int32_t& count, IcoEntry& e)
{
    uint8_t head[6], dir[16];
    if (!s.ReadAll(head, sizeof head))
        return DecodeStatus::kUnsupported;
    uint16_t kind = ReadLe16(head + 2);
    if (ReadLe16(head) != 0 || (kind != 1 && kind != 2))
        return DecodeStatus::kUnsupported;
    count = ReadLe16(head + 4);
    if (frame < 0 || frame >= count)
        return DecodeStatus::kNoFrame;
    if (!s.Seek(start + 6 + 16 * static_cast<int64_t>(frame), CImageStream::kSet) ||
        !s.ReadAll(dir, sizeof dir))
        return DecodeStatus::kCorrupt;
    e.width = dir[0];
    e.height = dir[1];
    e.size = ReadLe32(dir + 8);
    e.offset = ReadLe32(dir + 12);
    return DecodeStatus::kOk;
}

}  // namespace

// Masked pixels of a paletted icon take the first index no pixel uses; a
// 24-bit icon whose masked pixels share one colour gets that colour as its
// transparent colour. Otherwise the alpha mask stays.
static void ResolveMask(CImageObject& ico, const std::vector<uint8_t>& masked)
{
    const int32_t w = ico.Width(), h = ico.Height();
    if (ico.Bpp() == 24) {
        bool first = true, same = true;
        RGBQUAD shared = { 0, 0, 0, 0 };
        for (int32_t y = 0; y < h && same; ++y)
            for (int32_t x = 0; x < w && same; ++x) {
                if (!masked[static_cast<size_t>(y) * w + x])
                    continue;
                RGBQUAD c = ico.PixelColor(x, y);
                if (first)
                    shared = c, first = false;
                same = c.rgbRed == shared.rgbRed && c.rgbGreen == shared.rgbGreen &&
                       c.rgbBlue == shared.rgbBlue;
            }
        if (same && !first) {
            ico.Settings().transparentColor = shared;
            ico.Settings().transparentIndex = 0;
            ico.DropAlpha();
        }
        return;
    }
    bool used[256] = {};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            used[ico.PixelIndex(x, y)] = true;
    for (uint32_t i = 0; i < ico.ColorsUsed(); ++i) {
        if (used[i])
            continue;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                if (masked[static_cast<size_t>(y) * w + x])
                    ico.PutIndex(x, y, static_cast<uint8_t>(i));
        ico.Settings().transparentIndex = static_cast<int32_t>(i);
        ico.DropAlpha();
        return;
    }
}

bool CImageObjectICO::Decode(CImageStream& s)
{
    IcoEntry e;
    int32_t count = 0;
    const int64_t start = s.Tell();
    const DecodeStatus entry = ReadEntry(s, start, Settings().frame, count, e);
    Settings().frameCount = count;
    if (entry != DecodeStatus::kOk)
        return Fail({ entry, nullptr });
    uint8_t bih[40];
    if (!s.Seek(start + e.offset, CImageStream::kSet) || !s.ReadAll(bih, sizeof bih))
        return Fail({ DecodeStatus::kCorrupt, nullptr });
    const uint32_t headerSize = ReadLe32(bih), bpp = ReadLe16(bih + 14);
    const uint32_t colorsUsed = ReadLe32(bih + 32);
    if (headerSize < 40 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32))
        return Fail({ DecodeStatus::kUnsupported, nullptr });
    s.Seek(start + e.offset + headerSize, CImageStream::kSet);
    if (!Create(e.width, e.height, bpp == 32 ? 24 : bpp, kImageICO))
        return false;  // Create's status
    const int32_t w = Width(), h = Height();

    if (bpp <= 8) {
        uint32_t n = 1u << bpp;
        if (colorsUsed && colorsUsed < n)
            n = colorsUsed;
        uint8_t pal[1024];
        if (!s.ReadAll(pal, 4 * n))
            return Fail({ DecodeStatus::kCorrupt, nullptr });
        for (uint32_t i = 0; i < n; ++i)
            SetPaletteColor(static_cast<uint8_t>(i), pal[4 * i + 2], pal[4 * i + 1], pal[4 * i]);
    }
    std::vector<uint8_t> row(DibStride(w, bpp));
    if (bpp == 32 && !AllocateAlpha())
        return Fail({ DecodeStatus::kTooLarge, nullptr });
    for (int32_t y = 0; y < h; ++y) {
        if (!s.ReadAll(row.data(), row.size()))
            break;  // a short icon keeps what it held
        if (bpp != 32) {
            memcpy(Row(y), row.data(), Stride());
            continue;
        }
        SplitAlphaRow(row.data(), Row(y), AlphaMask() + static_cast<size_t>(y) * w,
                      static_cast<size_t>(w));
    }

    std::vector<uint8_t> mask(static_cast<size_t>(DibStride(w, 1)) * h, 0);
    s.Read(mask.data(), 1, mask.size());
    std::vector<uint8_t> masked(static_cast<size_t>(w) * h, 0);
    bool all = true, any = false;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            bool bit = (mask[static_cast<size_t>(y) * DibStride(w, 1) + x / 8] >> (7 - x % 8)) & 1;
            masked[static_cast<size_t>(y) * w + x] = bit;
            all = all && bit;
            any = any || bit;
        }
    if (all || !any)
        return true;
    if (!AlphaMask() && !AllocateAlpha())
        return Fail({ DecodeStatus::kTooLarge, nullptr });
    for (size_t i = 0; i < masked.size(); ++i)
        if (masked[i])
            AlphaMask()[i] = 0;
    ResolveMask(*this, masked);
    return true;
}
