// WebP beyond the fixture comparison: the alpha mask, animation frames as
// the canvas shows them, damaged and hostile files, and the type rules.
#include <gtest/gtest.h>

#include <cstring>

#include "images/codec/image_decoders.h"
#include "tests/host/test_util.h"

namespace {

std::vector<uint8_t> TopDownAlpha(const CImageObject& image)
{
    std::vector<uint8_t> alpha;
    const size_t width = static_cast<size_t>(image.Width());
    for (int32_t y = image.Height() - 1; y >= 0; --y)
        alpha.insert(alpha.end(), image.AlphaMask() + width * y,
                     image.AlphaMask() + width * (y + 1));
    return alpha;
}

TEST(WebP, AlphaBecomesTheMaskAndOpaqueFilesHaveNone)
{
    for (const char* name : { "webp_alpha.webp", "webp_lossy_alpha.webp" }) {
        CImageObject image(FixturePath(name).c_str(), 0);
        ASSERT_TRUE(image.HasPixels()) << name << ": " << image.LastError();
        EXPECT_EQ(image.Bpp(), 24);
        ASSERT_NE(image.AlphaMask(), nullptr) << name;
        const std::vector<uint8_t> ref = ReadBytes(FixturePath(std::string(name) + ".rgba"));
        const std::vector<uint8_t> alpha = TopDownAlpha(image);
        ASSERT_EQ(ref.size(), alpha.size() * 4) << name;
        int wrong = 0;
        for (size_t p = 0; p < alpha.size(); ++p)
            wrong += alpha[p] != ref[4 * p + 3];
        EXPECT_EQ(wrong, 0) << name;
    }
    CImageObject opaque(FixturePath("webp_lossless.webp").c_str(), 0);
    ASSERT_TRUE(opaque.HasPixels()) << opaque.LastError();
    EXPECT_EQ(opaque.AlphaMask(), nullptr);
    EXPECT_EQ(opaque.FrameCount(), 1);
}

int32_t StopOnSecondCall(CImageObject*, intptr_t calls)
{
    return ++*reinterpret_cast<int*>(calls) >= 2;
}

TEST(WebP, AnimationFramesAreTheComposedCanvas)
{
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath("webp_anim.webp"));
    CImageObject second;
    second.SetFrame(1);
    ASSERT_TRUE(DecodeBytes(second, bytes, kImageWEBP)) << second.LastError();
    EXPECT_EQ(second.FrameCount(), 3);
    EXPECT_EQ(second.Settings().frameDelay, 10u);
    // The second frame only covers part of the canvas; the rest is the first.
    const std::vector<uint8_t> ref = ReadBytes(FixturePath("webp_anim.webp.frame1.rgba"));
    const std::vector<uint8_t> ours = TopDownRgb(second);
    ASSERT_EQ(ref.size(), ours.size() / 3 * 4);
    int wrong = 0;
    for (size_t p = 0; p < ours.size() / 3; ++p)
        for (int c = 0; c < 3; ++c)
            wrong += ours[3 * p + c] != ref[4 * p + c];
    EXPECT_EQ(wrong, 0);

    CImageObject beyond;
    beyond.SetFrame(3);
    CMemoryStream stream(bytes.data(), bytes.size());
    EXPECT_FALSE(beyond.Decode(stream, kImageWEBP));
    EXPECT_STREQ(beyond.LastError(), "wrong frame!");
    EXPECT_EQ(beyond.FrameCount(), 3) << "the count reaches the caller on failure";

    // The caller is asked before each frame; stopping leaves no picture.
    int calls = 0;
    CImageObject stopped;
    stopped.SetFrame(1);
    stopped.SetEscape(StopOnSecondCall, reinterpret_cast<intptr_t>(&calls));
    EXPECT_FALSE(DecodeBytes(stopped, bytes, kImageWEBP));
    EXPECT_STREQ(stopped.LastError(), "Cancelled");
    EXPECT_FALSE(stopped.HasPixels());
}

TEST(WebP, DamagedAndHostileFilesFailCleanly)
{
    for (const char* name :
         { "webp_lossy.webp", "webp_lossless.webp", "webp_lossy_alpha.webp", "webp_anim.webp" }) {
        const std::vector<uint8_t> whole = ReadBytes(FixturePath(name));
        // ImageMagick may write bytes after the container; cuts are made inside it.
        ASSERT_GT(whole.size(), 12u);
        const size_t end =
            (whole[4] | whole[5] << 8 | whole[6] << 16 | static_cast<size_t>(whole[7]) << 24) + 8;
        ASSERT_LE(end, whole.size()) << name;
        for (size_t keep : { size_t{ 11 }, size_t{ 30 }, end / 2, end - 1 }) {
            std::vector<uint8_t> cut(whole.begin(),
                                     whole.begin() + static_cast<std::ptrdiff_t>(keep));
            CImageObject image;
            EXPECT_FALSE(DecodeBytes(image, cut, kImageWEBP)) << name << " " << keep;
            EXPECT_FALSE(image.HasPixels());
            EXPECT_STRNE(image.LastError(), "") << name << " " << keep;
        }
    }
    // A simple lossy file whose key-frame header claims 16383 x 16383: a size
    // the bound allows, but the few bytes behind it cannot describe it.
    std::vector<uint8_t> huge = ReadBytes(FixturePath("webp_lossy.webp"));
    ASSERT_EQ(0, memcmp(&huge[12], "VP8 ", 4));
    ASSERT_EQ(0, memcmp(&huge[23], "\x9d\x01\x2a", 3));
    for (size_t at : { 26, 28 }) {
        huge[at] = 0xFF;
        huge[at + 1] = 0x3F;
    }
    EXPECT_TRUE(CImageObject::WithinMemoryBound(16383, 16383, 32));
    CImageObject image;
    EXPECT_FALSE(DecodeBytes(image, huge, kImageWEBP));
    EXPECT_FALSE(image.HasPixels());
    EXPECT_STREQ(image.LastError(), "WebP: NOT_ENOUGH_DATA");
}

TEST(WebP, ExtensionDecidesAndDetectionFindsItLast)
{
    EXPECT_EQ(TypeFromExtension("C:\\cache\\photo[1].WebP"), kImageWEBP);
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath("webp_lossless.webp"));
    const std::string asGif = TempPath("really_a_webp.gif"),
                      asUnknown = TempPath("really_a_webp.img");
    WriteBytes(asGif, bytes);
    WriteBytes(asUnknown, bytes);
    CImageObject named(asGif.c_str(), 0);
    EXPECT_FALSE(named.HasPixels());
    EXPECT_EQ(named.Type(), kImageGIF);
    CImageObject detected(asUnknown.c_str(), 0);
    ASSERT_TRUE(detected.HasPixels()) << detected.LastError();
    EXPECT_EQ(detected.Type(), kImageWEBP);
    // Other formats are not mistaken for it.
    CImageObject png;
    EXPECT_FALSE(DecodeBytes(png, ReadBytes(FixturePath("png_rgb8.png")), kImageWEBP));
    EXPECT_STREQ(png.LastError(), "Not a WebP");
}

}  // namespace
