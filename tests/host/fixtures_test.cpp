// Every generated fixture decodes to the pixels ImageMagick decodes from the
// same file, by its extension and by detection alike.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "images/codec/image_gif.h"
#include "tests/host/test_util.h"

namespace {

struct Fixture {
    std::string name;
    int width, height;
};

std::vector<Fixture> Fixtures()
{
    std::vector<Fixture> list;
    std::ifstream index(FixturePath("index.txt"));
    Fixture f;
    while (index >> f.name >> f.width >> f.height)
        list.push_back(f);
    return list;
}

// Bit-field pixels of fewer than 8 bits per channel may be widened with a
// different rounding than ImageMagick's; 16-bit samples are cut where
// ImageMagick rounds; JPEG colour conversion differs between decoders within
// a few levels; CMYK is turned into RGB by two different formulas.
int Tolerance(const std::string& name)
{
    if (name.rfind("bmp_", 0) == 0)
        return name.find("_16") != std::string::npos || name.find("_565") != std::string::npos ? 8
                                                                                               : 0;
    if (name.rfind("jpg_", 0) == 0)
        return name.find("cmyk") != std::string::npos ? 6 : 3;
    // Lossy WebP is held to the JPEG tolerance, lossless to none.
    if (name.rfind("webp_lossy", 0) == 0)
        return 3;
    if (name.find("cmyk") != std::string::npos)
        return 2;
    // 16-bit TIFF colour maps: the library's scaling truncates, ImageMagick rounds.
    if (name.rfind("tif_palette", 0) == 0)
        return 1;
    return name.find("16") != std::string::npos ? 1 : 0;
}

// Detection tries the code-stream decoder before the JasPer types, so a bare
// code stream is found as type 11 whatever its extension.
uint32_t DetectedType(const std::string& name)
{
    const uint32_t type = TypeFromExtension(name.c_str());
    return type == kImageJPC ? kImageJ2K : type;
}

void ExpectLikeReference(const CImageObject& image, const Fixture& f)
{
    ASSERT_TRUE(image.HasPixels()) << f.name << ": " << image.LastError();
    ASSERT_EQ(image.Width(), f.width) << f.name;
    ASSERT_EQ(image.Height(), f.height) << f.name;
    std::vector<uint8_t> ref = ReadBytes(FixturePath(f.name + ".rgba"));
    ASSERT_EQ(ref.size(), static_cast<size_t>(f.width) * f.height * 4) << f.name;
    std::vector<uint8_t> ours = TopDownRgb(image);
    const int tolerance = Tolerance(f.name);
    int wrong = 0;
    for (size_t p = 0; p < ours.size() / 3; ++p) {
        if (ref[4 * p + 3] == 0)
            continue;  // transparent: the stored colour is the decoder's choice
        for (int c = 0; c < 3; ++c)
            if (std::abs(ours[3 * p + c] - ref[4 * p + c]) > tolerance)
                ++wrong;
    }
    EXPECT_EQ(wrong, 0) << f.name;
}

TEST(Fixtures, IndexListsEveryFormat)
{
    std::vector<Fixture> list = Fixtures();
    ASSERT_GE(list.size(), 20u);
    for (const char* prefix :
         { "gif_", "bmp_", "ico_", "pcx_", "wbmp_", "jpg_", "png_", "tif_", "j2k_", "jp2_", "jpc_",
           "j2c_", "jbg_", "pgx_", "pnm_", "ras_", "webp_" }) {
        bool found = false;
        for (const Fixture& f : list)
            found = found || f.name.rfind(prefix, 0) == 0;
        EXPECT_TRUE(found) << prefix;
    }
}

TEST(Fixtures, DecodeByExtensionLikeImageMagick)
{
    for (const Fixture& f : Fixtures()) {
        CImageObject image(FixturePath(f.name).c_str(), 0);
        ExpectLikeReference(image, f);
    }
}

TEST(Fixtures, DetectionFindsTheSamePicture)
{
    for (const Fixture& f : Fixtures()) {
        std::vector<uint8_t> bytes = ReadBytes(FixturePath(f.name));
        CImageObject image;
        EXPECT_TRUE(DecodeBytes(image, bytes, 0)) << f.name;
        ExpectLikeReference(image, f);
        EXPECT_EQ(image.Type(), DetectedType(f.name)) << f.name;
    }
}

// The frame count keeps the frames it decoded; the long way decodes them
// again. Both must agree on everything the caller can see.
void ExpectSameAsPlainReading(const std::vector<uint8_t>& bytes, int32_t frame,
                              const std::string& what)
{
    CImageObject fast, plain;
    fast.SetFrame(frame);
    plain.SetFrame(frame);
    plain.Settings().codecOptions[kImageGIF] = kGifPlainFrameCount;
    bool a = DecodeBytes(fast, bytes, kImageGIF), b = DecodeBytes(plain, bytes, kImageGIF);
    ASSERT_EQ(a, b) << what;
    EXPECT_STREQ(fast.LastError(), plain.LastError()) << what;
    EXPECT_EQ(fast.Status(), plain.Status()) << what;
    EXPECT_EQ(fast.FrameCount(), plain.FrameCount()) << what;
    ASSERT_EQ(fast.HasPixels(), plain.HasPixels()) << what;
    EXPECT_EQ(fast.TransparentIndex(), plain.TransparentIndex()) << what;
    EXPECT_EQ(fast.Settings().frameDelay, plain.Settings().frameDelay) << what;
    if (!fast.HasPixels())
        return;
    ASSERT_EQ(fast.BlockSize(), plain.BlockSize()) << what;
    EXPECT_EQ(0, memcmp(fast.Block(), plain.Block(), fast.BlockSize())) << what;
}

TEST(GifFastPath, MatchesPlainReadingOnFixtures)
{
    for (const Fixture& f : Fixtures())
        if (f.name.rfind("gif_", 0) == 0)
            for (int32_t frame = 0; frame < 4; ++frame)
                ExpectSameAsPlainReading(ReadBytes(FixturePath(f.name)), frame, f.name);
}

TEST(GifFastPath, MatchesPlainReadingOnFuzzCorpus)
{
    std::ifstream list(std::string(ZEMA_FUZZ_SEEDS) + "/list.txt");
    std::string name;
    int seen = 0;
    while (list >> name) {
        ExpectSameAsPlainReading(ReadBytes(std::string(ZEMA_FUZZ_SEEDS) + "/" + name), 0, name);
        ++seen;
    }
    EXPECT_GT(seen, 0);
}

}  // namespace
