#include "images/thumbnail_tile.h"

#include <algorithm>
#include <cstring>

namespace {

// One row of a paletted picture as blue-green-red triples; the index is
// taken modulo the palette so a corrupt index cannot read past it.
void PaletteRow(const CImageObject& picture, int32_t y, uint32_t width, uint8_t* out)
{
    const RGBQUAD* palette = picture.Palette();
    const uint32_t bpp = picture.Bpp();
    const uint32_t colours = picture.ColorsUsed() ? picture.ColorsUsed() : 1u << bpp;
    const uint8_t* row = picture.Row(y);
    const uint32_t perByte = 8 / bpp;
    const uint32_t mask = (1u << bpp) - 1;
    for (uint32_t x = 0; x < width; ++x) {
        uint32_t shift = (perByte - 1 - x % perByte) * bpp;
        const RGBQUAD& c = palette[((row[x / perByte] >> shift) & mask) % colours];
        out[3 * x] = c.rgbBlue;
        out[3 * x + 1] = c.rgbGreen;
        out[3 * x + 2] = c.rgbRed;
    }
}

}  // namespace

size_t TileBytes(uint32_t edge)
{
    return static_cast<size_t>(DibStride(edge, 24)) * edge;
}

void ComposeTile(const CImageObject& picture, const ThumbnailFit& fit, uint32_t edge, uint8_t* rows)
{
    const uint32_t stride = DibStride(edge, 24);
    memset(rows, 0xFF, TileBytes(edge));
    if (!picture.HasPixels() || fit.x >= edge || fit.y >= edge)
        return;
    const uint32_t width =
        std::min({ fit.width, static_cast<uint32_t>(picture.Width()), edge - fit.x });
    const uint32_t height =
        std::min({ fit.height, static_cast<uint32_t>(picture.Height()), edge - fit.y });
    for (uint32_t top = 0; top < height; ++top) {
        // Both are bottom-up: the picture's top row is its last one.
        const int32_t source = picture.Height() - 1 - static_cast<int32_t>(top);
        uint8_t* out = rows + static_cast<size_t>(edge - 1 - fit.y - top) * stride + 3 * fit.x;
        if (picture.Bpp() == 24)
            memcpy(out, picture.Row(source), 3 * static_cast<size_t>(width));
        else
            PaletteRow(picture, source, width, out);
    }
}
