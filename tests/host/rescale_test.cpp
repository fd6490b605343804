// Rescaling in its three modes on pictures whose answer is known.
#include <gtest/gtest.h>

#include <cstring>

#include "images/codec/palette_match.h"
#include "tests/host/test_util.h"

namespace {

void Fill(CImageObject& image, uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b)
{
    image.Create(w, h, 24, kImageBMP);
    RGBQUAD c = { b, g, r, 0 };
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            image.PutColor(x, y, c);
}

void ExpectUniform(const CImageObject& image, uint8_t r, uint8_t g, uint8_t b, int tolerance)
{
    for (int32_t y = 0; y < image.Height(); ++y)
        for (int32_t x = 0; x < image.Width(); ++x) {
            RGBQUAD c = image.PixelColor(x, y);
            ASSERT_NEAR(c.rgbRed, r, tolerance) << x << "," << y;
            ASSERT_NEAR(c.rgbGreen, g, tolerance) << x << "," << y;
            ASSERT_NEAR(c.rgbBlue, b, tolerance) << x << "," << y;
        }
}

TEST(Rescale, RefusesZeroAndKeepsThePicture)
{
    CImageObject image;
    Fill(image, 10, 10, 1, 2, 3);
    const void* block = image.Block();
    EXPECT_FALSE(image.Rescale(0, 5, ResampleMode::kSmooth, nullptr));
    EXPECT_FALSE(image.Rescale(5, 0, ResampleMode::kSmooth, nullptr));
    EXPECT_EQ(image.Block(), block);
}

TEST(Rescale, SameSizeReturnsAtOnceOrCopiesToTheTarget)
{
    CImageObject image, target;
    Fill(image, 10, 6, 1, 2, 3);
    const void* block = image.Block();
    EXPECT_TRUE(image.Rescale(10, 6, ResampleMode::kSmooth, nullptr));
    EXPECT_EQ(image.Block(), block);
    EXPECT_TRUE(image.Rescale(10, 6, ResampleMode::kSmooth, &target));
    EXPECT_EQ(0, memcmp(target.Block(), image.Block(), image.BlockSize()));
}

TEST(Rescale, NearestDoublesEveryPixel)
{
    CImageObject image;
    image.Create(2, 2, 8, kImageBMP);
    for (int i = 0; i < 4; ++i)
        image.SetPaletteColor(static_cast<uint8_t>(i), i * 60, 0, 0);
    for (int i = 0; i < 4; ++i)
        image.PutIndex(i % 2, i / 2, static_cast<uint8_t>(i));
    ASSERT_TRUE(image.Rescale(4, 4, ResampleMode::kNearest, nullptr));
    EXPECT_EQ(image.Bpp(), 8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(image.PixelIndex(x, y), (x / 2) + 2 * (y / 2));
}

TEST(Rescale, BilinearBlendsNeighbours)
{
    CImageObject image;
    image.Create(2, 1, 24, kImageBMP);
    RGBQUAD black = { 0, 0, 0, 0 }, white = { 200, 200, 200, 0 };
    image.PutColor(0, 0, black);
    image.PutColor(1, 0, white);
    ASSERT_TRUE(image.Rescale(4, 1, ResampleMode::kSmooth, nullptr));  // growing: bilinear
    // x scale 0.5: sources 0, 0.5, 1, 1.5 -> 0, 100, 200, 200 (clamped)
    EXPECT_EQ(image.PixelColor(0, 0).rgbRed, 0);
    EXPECT_EQ(image.PixelColor(1, 0).rgbRed, 100);
    EXPECT_EQ(image.PixelColor(2, 0).rgbRed, 200);
    EXPECT_EQ(image.PixelColor(3, 0).rgbRed, 200);
}

TEST(Rescale, BilinearKeepsAPalettedPictureOnItsPalette)
{
    CImageObject image;
    image.Create(4, 4, 1, kImageGIF);
    image.SetPaletteColor(1, 255, 255, 255);
    image.PutIndex(3, 3, 1);
    ASSERT_TRUE(image.Rescale(2, 2, ResampleMode::kSmooth, nullptr));
    EXPECT_EQ(image.Bpp(), 1);
    EXPECT_EQ(image.ColorsUsed(), 2u);
    EXPECT_EQ(image.Palette()[1].rgbRed, 255);
}

TEST(Rescale, BoxFilterAveragesAreas)
{
    CImageObject image;
    image.Create(4, 2, 24, kImageBMP);
    RGBQUAD a = { 0, 0, 0, 0 }, b = { 100, 100, 100, 0 };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            image.PutColor(x, y, x < 2 ? a : b);
    ASSERT_TRUE(image.Rescale(2, 1, ResampleMode::kSmooth, nullptr));
    EXPECT_NEAR(image.PixelColor(0, 0).rgbRed, 0, 1);
    EXPECT_NEAR(image.PixelColor(1, 0).rgbRed, 100, 1);
}

TEST(Rescale, BoxFilterSurvivesReductionsBeyondNinetyTimes)
{
    CImageObject image;
    Fill(image, 2400, 2400, 250, 128, 3);
    ASSERT_TRUE(image.Rescale(12, 12, ResampleMode::kSmooth, nullptr));  // 200 times each way
    ExpectUniform(image, 250, 128, 3, 2);
}

TEST(Rescale, ThumbnailShrinkKeepsAUniformColour)
{
    CImageObject image;
    Fill(image, 640, 480, 17, 200, 90);
    ASSERT_TRUE(image.Rescale(120, 90, ResampleMode::kSmooth, nullptr));
    EXPECT_EQ(image.Width(), 120);
    ExpectUniform(image, 17, 200, 90, 1);
}

TEST(Rescale, BSplineKeepsAUniformColour)
{
    CImageObject image;
    Fill(image, 30, 20, 90, 60, 30);
    ASSERT_TRUE(image.Rescale(45, 11, ResampleMode::kBSpline, nullptr));
    ExpectUniform(image, 90, 60, 30, 1);
}

TEST(Rescale, AlphaFollowsByNearestNeighbour)
{
    CImageObject image;
    Fill(image, 4, 4, 1, 1, 1);
    image.AllocateAlpha();
    for (int i = 0; i < 16; ++i)
        image.AlphaMask()[i] = static_cast<uint8_t>(i * 10);
    ASSERT_TRUE(image.Rescale(2, 2, ResampleMode::kNearest, nullptr));
    ASSERT_NE(image.AlphaMask(), nullptr);
    EXPECT_EQ(image.AlphaMask()[0], 0);
    EXPECT_EQ(image.AlphaMask()[1], 20);
    EXPECT_EQ(image.AlphaMask()[2], 80);
}

int32_t StopAtOnce(CImageObject*, intptr_t)
{
    return 1;
}

TEST(Rescale, EscapeEndsThePassKeepingWhatWasFilled)
{
    CImageObject image;
    Fill(image, 8, 8, 50, 50, 50);
    image.SetEscape(StopAtOnce, 0);
    ASSERT_TRUE(image.Rescale(4, 4, ResampleMode::kNearest, nullptr));
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.PixelColor(0, 0).rgbRed, 0);  // not reached
}

}  // namespace

// The rescale looks up each blended colour through a faster search than the
// object's own; both must name the same entry for every colour, ties
// included (duplicate entries, coarse palettes with many equal distances).
TEST(PaletteMatcher, NamesTheEntryNearestPaletteIndexNames)
{
    uint32_t seed = 12345;
    auto next = [&] {
        return seed = seed * 1103515245u + 12345u, static_cast<uint8_t>(seed >> 16);
    };
    for (int round = 0; round < 6; ++round) {
        CImageObject image;
        image.Create(4, 4, round < 3 ? 8 : 4, kImageGIF);
        const uint32_t colors = image.ColorsUsed();
        for (uint32_t i = 0; i < colors; ++i) {
            const uint8_t coarse = round % 2 ? 64 : 1;  // coarse steps make many ties
            image.SetPaletteColor(static_cast<uint8_t>(i), next() / coarse * coarse,
                                  next() / coarse * coarse, next() / coarse * coarse);
        }
        image.SetPaletteColor(static_cast<uint8_t>(colors - 1), 7, 7, 7);
        image.SetPaletteColor(static_cast<uint8_t>(colors / 2), 7, 7, 7);
        CPaletteMatcher matcher(image);
        for (int i = 0; i < 20000; ++i) {
            RGBQUAD c = { next(), next(), next(), 0 };
            ASSERT_EQ(matcher.Nearest(c), image.NearestPaletteIndex(c))
                << "round " << round << " colour " << i;
        }
    }
}
