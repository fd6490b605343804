// GIF decoding cases built byte by byte.
#include <gtest/gtest.h>

#include "images/codec/image_gif.h"
#include "tests/host/test_util.h"

namespace {

std::vector<uint8_t> Ramp(size_t n, int base = 0)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(base + i);
    return v;
}

// Index at (x, y) counted from the top, as a viewer sees it.
uint8_t At(const CImageObject& image, int x, int y)
{
    return image.PixelIndex(x, image.Height() - 1 - y);
}

TEST(Gif, PlainFrameFillsTheScreen)
{
    GifWriter w;
    w.Header(6, 4, 256).Image(0, 0, 6, 4, Ramp(24)).Trailer();
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    EXPECT_EQ(image.Bpp(), 8);
    EXPECT_EQ(image.FrameCount(), 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(At(image, x, y), y * 6 + x);
    EXPECT_EQ(image.Palette()[5].rgbRed, 35);  // the writer's ramp: red = 7 i
}

TEST(Gif, InterlacedFiveRowsGoInOrderZeroFourTwoOneThree)
{
    GifWriter w;
    w.Header(1, 5, 256).Image(0, 0, 1, 5, { 10, 11, 12, 13, 14 }, true).Trailer();
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    const int rowOfLine[5] = { 0, 4, 2, 1, 3 };
    for (int line = 0; line < 5; ++line)
        EXPECT_EQ(At(image, 0, rowOfLine[line]), 10 + line);
}

TEST(Gif, InterlacedTallFrameCoversEveryRowOnce)
{
    GifWriter w;
    w.Header(1, 21, 256).Image(0, 0, 1, 21, Ramp(21, 100), true).Trailer();
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    std::vector<int> order;
    for (int p : { 0, 4, 2, 1 })
        for (int r = p; r < 21; r += (p == 0 ? 8 : p == 4 ? 8 : p == 2 ? 4 : 2))
            order.push_back(r);
    ASSERT_EQ(order.size(), 21u);
    for (size_t line = 0; line < order.size(); ++line)
        EXPECT_EQ(At(image, 0, order[line]), 100 + line);
}

TEST(Gif, SmallFrameSitsOnTheTransparentIndex)
{
    GifWriter w;
    w.Header(5, 5, 16).Control(1, 7, 9).Image(1, 2, 2, 2, { 1, 2, 3, 4 }, false, 4).Trailer();
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Bpp(), 4);
    EXPECT_EQ(image.TransparentIndex(), 9);
    EXPECT_EQ(image.Settings().frameDelay, 7u);
    EXPECT_EQ(At(image, 0, 0), 9);
    EXPECT_EQ(At(image, 1, 2), 1);
    EXPECT_EQ(At(image, 2, 3), 4);
    EXPECT_EQ(At(image, 4, 4), 9);
    EXPECT_EQ(image.Palette()[200 % 16].rgbRed, image.Palette()[8].rgbRed);
}

TEST(Gif, WithoutControlTheOutsideIsZero)
{
    GifWriter w;
    w.Header(4, 4, 256).Image(2, 2, 2, 2, { 5, 6, 7, 8 }).Trailer();
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    EXPECT_EQ(image.TransparentIndex(), -1);
    EXPECT_EQ(At(image, 0, 0), 0);
    EXPECT_EQ(At(image, 3, 3), 8);
}

TEST(Gif, FramesOutsideTheScreenAreNotCountedNorDrawn)
{
    GifWriter w;
    w.Header(4, 4, 256)
        .Image(3, 0, 2, 2, { 1, 1, 1, 1 })
        .Image(0, 0, 4, 4, Ramp(16, 20))
        .Image(0, 3, 4, 2, Ramp(8))
        .Trailer();
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    EXPECT_EQ(image.FrameCount(), 1);
    EXPECT_EQ(At(image, 0, 0), 20);
    EXPECT_EQ(At(image, 3, 3), 35);
}

TEST(Gif, OnlyFrameOutsideTheScreenGivesNoPicture)
{
    GifWriter w;
    w.Header(4, 4, 256).Image(0, 0, 5, 4, Ramp(20)).Trailer();
    CImageObject image;
    EXPECT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    EXPECT_FALSE(image.HasPixels());
    EXPECT_EQ(image.FrameCount(), 0);
}

TEST(Gif, MinimumCodeSizesOneAndTenAreNotDecoded)
{
    for (int size : { 1, 10 }) {
        GifWriter w;
        w.Header(4, 2, 256).Image(0, 0, 4, 2, Ramp(8, 1), false, size).Trailer();
        CImageObject image;
        ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF)) << size;
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(image, x, 0), 0) << size;
    }
    GifWriter ok;
    ok.Header(4, 2, 256).Image(0, 0, 4, 2, Ramp(8, 1), false, 9).Trailer();
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, ok.Bytes(), kImageGIF));
    EXPECT_EQ(At(image, 3, 1), 8);
}

TEST(Gif, ControlOfAnotherSizeEndsTheDecoding)
{
    GifWriter w;
    w.Header(2, 2, 256).Control(0, 0, 0, 5).Image(0, 0, 2, 2, { 1, 2, 3, 4 }).Trailer();
    CImageObject image;
    EXPECT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    EXPECT_FALSE(image.HasPixels());
}

TEST(Gif, ExtensionsWithoutAnyImageSucceedWithoutPicture)
{
    GifWriter w;
    w.Header(8, 8, 4).Control(1, 10, 2).Comment("cached banner").Trailer();
    CImageObjectGIF gif;
    CMemoryStream stream(w.Bytes().data(), w.Bytes().size());
    EXPECT_TRUE(gif.Decode(stream));
    EXPECT_FALSE(gif.HasPixels());
    EXPECT_STREQ(gif.Comment(), "cached banner");
    CImageObject image;
    EXPECT_TRUE(DecodeBytes(image, w.Bytes(), 0));
    EXPECT_FALSE(image.HasPixels());
}

TEST(Gif, RequestedFrameBeyondTheCountFails)
{
    GifWriter w;
    w.Header(2, 1, 4)
        .Image(0, 0, 2, 1, { 1, 2 }, false, 2)
        .Image(0, 0, 2, 1, { 3, 0 }, false, 2)
        .Trailer();
    CImageObject second;
    second.SetFrame(1);
    ASSERT_TRUE(DecodeBytes(second, w.Bytes(), kImageGIF));
    EXPECT_EQ(At(second, 0, 0), 3);
    EXPECT_EQ(second.FrameCount(), 2);
    for (int32_t frame : { 2, -1 }) {
        CImageObject image;
        image.SetFrame(frame);
        EXPECT_FALSE(DecodeBytes(image, w.Bytes(), kImageGIF)) << frame;
        EXPECT_EQ(image.FrameCount(), 2);
    }
}

TEST(Gif, LaterFrameKeepsTransparentPixelsOfTheEarlierOne)
{
    GifWriter w;
    w.Header(2, 1, 4)
        .Image(0, 0, 2, 1, { 1, 2 }, false, 2)
        .Control(1, 0, 3)
        .Image(0, 0, 2, 1, { 3, 0 }, false, 2)
        .Trailer();
    CImageObject image;
    image.SetFrame(1);
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    EXPECT_EQ(At(image, 0, 0), 1);  // index 3 is transparent in frame 1
    EXPECT_EQ(At(image, 1, 0), 0);
}

TEST(Gif, SeveralSmallFramesWithoutGlobalTableComposeTrueColour)
{
    GifWriter w;
    w.Header(4, 4, 0)
        .Image(0, 0, 2, 2, { 1, 1, 1, 1 }, false, 2, 4)
        .Image(2, 2, 2, 2, { 2, 2, 2, 2 }, false, 2, 4)
        .Trailer();
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    EXPECT_EQ(image.Bpp(), 24);
    EXPECT_EQ(image.Width(), 4);
    RGBQUAD one = image.PixelColor(0, 3), two = image.PixelColor(3, 0);
    EXPECT_EQ(one.rgbRed, 7);   // writer's entry 1
    EXPECT_EQ(two.rgbRed, 14);  // entry 2
}

TEST(Gif, TruncatedDataLeavesTheRestAsCreated)
{
    GifWriter w;
    w.Header(8, 8, 256).Image(0, 0, 8, 8, Ramp(64, 1));
    std::vector<uint8_t> bytes = w.Bytes();
    bytes.resize(bytes.size() - 40);
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, bytes, kImageGIF));
    EXPECT_EQ(At(image, 0, 0), 1);
    EXPECT_EQ(At(image, 7, 7), 0);
}

TEST(Gif, BadCodesRecoverAtTheNextImage)
{
    // Codes clear, 1, 7 (beyond the free slot 6), end at code size 2: the
    // reader then looks for the next image descriptor after a 0 byte.
    std::vector<uint8_t> garbage = { 0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0xCC, 0x0B, 0 };
    GifWriter w;
    w.Header(2, 1, 256).Raw(garbage).Image(0, 0, 2, 1, { 7, 9 }).Trailer();
    CImageObject image;
    image.SetFrame(1);
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    EXPECT_EQ(image.FrameCount(), 2);
    EXPECT_EQ(At(image, 1, 0), 9);
}

TEST(Gif, NotAGifFailsWithoutText)
{
    std::vector<uint8_t> bytes = { 'G', 'I', 'F', '7', '9', 'a', 1, 0, 1, 0, 0, 0, 0 };
    CImageObject image;
    EXPECT_FALSE(DecodeBytes(image, bytes, kImageGIF));
    EXPECT_STREQ(image.LastError(), "");
}

int32_t AlwaysStop(CImageObject*, intptr_t)
{
    return 1;
}

TEST(Gif, EscapeAtTheStartAsksForTheSizeOnly)
{
    GifWriter w;
    w.Header(33, 17, 256).Image(0, 0, 1, 1, { 1 }).Trailer();
    CImageObjectGIF gif;
    gif.SetEscape(AlwaysStop, 0);
    CMemoryStream stream(w.Bytes().data(), w.Bytes().size());
    EXPECT_TRUE(gif.Decode(stream));
    EXPECT_FALSE(gif.HasPixels());
    EXPECT_EQ(gif.Width(), 33);
    EXPECT_EQ(gif.Height(), 17);
}

}  // namespace

// A 1-bit frame off the left edge with a transparent index takes the
// byte-merging path: every pixel must land where the pixel-wise reading puts it.
TEST(Gif, OneBitFrameAtAnOffsetMergesWithTransparency)
{
    const uint16_t width = 21, height = 3;
    std::vector<uint8_t> first(width * height);
    // Row 1 is all ones under the frame, so every opaque 0 of the frame shows.
    for (size_t i = 0; i < first.size(); ++i)
        first[i] = i / width == 1 ? 1 : (i * 7 / 3) % 2;
    std::vector<uint8_t> second(13);
    for (size_t i = 0; i < second.size(); ++i)
        second[i] = i % 4 == 0 ? 1 : 0;
    GifWriter w;
    w.Header(width, height, 2)
        .Image(0, 0, width, height, first, false, 2)
        .Control(1, 0, 1)
        .Image(3, 1, 13, 1, second, false, 2)
        .Trailer();
    CImageObject image;
    image.SetFrame(1);
    ASSERT_TRUE(DecodeBytes(image, w.Bytes(), kImageGIF));
    ASSERT_EQ(image.Bpp(), 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int expected = first[y * width + x];
            if (y == 1 && x >= 3 && x < 16 && second[x - 3] != 1)
                expected = second[x - 3];
            EXPECT_EQ(At(image, x, y), expected) << x << "," << y;
        }
    }
}
