// The tile's pixels against the picture's own colours, for every depth the
// image object holds: placement, orientation and palette bit order.
#include "images/thumbnail_tile.h"

#include <gtest/gtest.h>

namespace {

TEST(ThumbnailTile, EveryDepthLandsAtItsPlaceOnWhite)
{
    constexpr uint32_t edge = 9;
    for (uint32_t bpp : { 1u, 4u, 8u, 24u }) {
        CImageObject picture;
        ASSERT_TRUE(picture.Create(7, 3, bpp, 0));
        const uint32_t colours = bpp == 24 ? 0 : 1u << bpp;
        for (uint32_t i = 0; i < colours; ++i)
            picture.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 9), 40,
                                    static_cast<uint8_t>(200 - i));
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 7; ++x) {
                if (bpp == 24)
                    picture.PutColor(x, y,
                                     RGBQUAD{ static_cast<uint8_t>(x * 30),
                                              static_cast<uint8_t>(y * 70), 5, 0 });
                else
                    picture.PutIndex(x, y, static_cast<uint8_t>((x * 3 + y) % colours));
            }
        // Only the top-left 6 by 2 pixels are drawn, at (2, 3) from the top left.
        const ThumbnailFit fit = { false, 6, 2, 2, 3 };
        std::vector<uint8_t> tile(TileBytes(edge));
        ComposeTile(picture, fit, edge, tile.data());
        const uint32_t stride = DibStride(edge, 24);
        for (uint32_t top = 0; top < edge; ++top)
            for (uint32_t x = 0; x < edge; ++x) {
                const uint8_t* p = &tile[(edge - 1 - top) * stride + 3 * x];
                RGBQUAD want = { 255, 255, 255, 0 };
                if (x >= 2 && x < 8 && top >= 3 && top < 5)
                    want = picture.PixelColor(static_cast<int32_t>(x - 2),
                                              static_cast<int32_t>(2 - (top - 3)));
                ASSERT_EQ(p[0], want.rgbBlue) << bpp << " bpp at " << x << "," << top;
                ASSERT_EQ(p[1], want.rgbGreen) << bpp << " bpp at " << x << "," << top;
                ASSERT_EQ(p[2], want.rgbRed) << bpp << " bpp at " << x << "," << top;
            }
    }
}

}  // namespace
