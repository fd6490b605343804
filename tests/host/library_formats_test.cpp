// The decoders through the image libraries: the rules of each wrapper, the
// refusal of hostile sizes before any large allocation, and clean failures on
// damaged files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "images/codec/image_decoders.h"
#include "tests/host/test_util.h"

namespace {

void Put32Be(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v >> 24);
    b[at + 1] = static_cast<uint8_t>(v >> 16);
    b[at + 2] = static_cast<uint8_t>(v >> 8);
    b[at + 3] = static_cast<uint8_t>(v);
}

void Append32Be(std::vector<uint8_t>& b, uint32_t v)
{
    b.resize(b.size() + 4);
    Put32Be(b, b.size() - 4, v);
}

void PngChunk(std::vector<uint8_t>& b, const char* type, const std::vector<uint8_t>& data)
{
    Append32Be(b, static_cast<uint32_t>(data.size()));
    const size_t start = b.size();
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    Append32Be(
        b, static_cast<uint32_t>(crc32(0, b.data() + start, static_cast<uInt>(b.size() - start))));
}

// A PNG of the given header and one IDAT of the given (compressed) bytes.
std::vector<uint8_t> Png(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType,
                         const std::vector<uint8_t>& idat)
{
    std::vector<uint8_t> b = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
    std::vector<uint8_t> ihdr(13, 0);
    Put32Be(ihdr, 0, width);
    Put32Be(ihdr, 4, height);
    ihdr[8] = depth;
    ihdr[9] = colorType;
    PngChunk(b, "IHDR", ihdr);
    PngChunk(b, "IDAT", idat);
    PngChunk(b, "IEND", {});
    return b;
}

// A little-endian TIFF of one grey 8-bit strip.
std::vector<uint8_t> Tiff(uint32_t width, uint32_t height, uint32_t stripBytes,
                          uint32_t compression = 1)
{
    std::vector<uint8_t> b = { 'I', 'I', 42, 0, 8, 0, 0, 0 };
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    const uint32_t dataAt = 8 + 2 + 8 * 12 + 4;
    const Entry entries[] = { { 256, 4, 1, width },  { 257, 4, 1, height },
                              { 258, 3, 1, 8 },      { 259, 3, 1, compression },
                              { 262, 3, 1, 1 },      { 273, 4, 1, dataAt },
                              { 278, 4, 1, height }, { 279, 4, 1, stripBytes } };
    auto le16 = [&](uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto le32 = [&](uint32_t v) {
        le16(v & 0xFFFF);
        le16(v >> 16);
    };
    le16(8);
    for (const Entry& e : entries) {
        le16(e.tag);
        le16(e.type);
        le32(e.count);
        if (e.type == 3) {
            le16(e.value);
            le16(0);
        } else {
            le32(e.value);
        }
    }
    le32(0);
    b.resize(b.size() + (stripBytes < 4096 ? stripBytes : 4096), 0x80);
    return b;
}

// Finds the start-of-frame marker of a baseline or progressive JPEG.
size_t FindSof(const std::vector<uint8_t>& b)
{
    for (size_t i = 2; i + 9 < b.size(); ++i)
        if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC2))
            return i;
    return 0;
}

std::vector<uint8_t> ExifApp1(uint32_t xRes, uint16_t unit)
{
    // "MM" TIFF header, one directory of three entries, two rationals after it.
    std::vector<uint8_t> t = { 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 3 };
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        t.push_back(static_cast<uint8_t>(tag >> 8));
        t.push_back(static_cast<uint8_t>(tag));
        t.push_back(0);
        t.push_back(static_cast<uint8_t>(type));
        Append32Be(t, 1);
        Append32Be(t, value);
    };
    entry(0x011A, 5, 8 + 2 + 36 + 4);
    entry(0x011B, 5, 8 + 2 + 36 + 4 + 8);
    entry(0x0128, 3, static_cast<uint32_t>(unit) << 16);
    Append32Be(t, 0);
    Append32Be(t, xRes);
    Append32Be(t, 1);
    Append32Be(t, xRes);
    Append32Be(t, 1);
    std::vector<uint8_t> seg = { 0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0 };
    seg.insert(seg.end(), t.begin(), t.end());
    const size_t length = seg.size() - 2;
    seg[2] = static_cast<uint8_t>(length >> 8);
    seg[3] = static_cast<uint8_t>(length);
    return seg;
}

TEST(LibraryFormats, Jp2FileIsDecodedByTheCodeStreamDecoder)
{
    CImageObject image(FixturePath("jp2_rgb.jp2").c_str(), 0);
    ASSERT_TRUE(image.HasPixels()) << image.LastError();
    EXPECT_EQ(image.Type(), kImageJ2K);
    // Told type 13, the same file goes the JasPer way and says so.
    CImageObject jasper(FixturePath("jp2_rgb.jp2").c_str(), kImageJP2);
    ASSERT_TRUE(jasper.HasPixels()) << jasper.LastError();
    EXPECT_EQ(jasper.Type(), kImageJP2);
    EXPECT_EQ(0, memcmp(image.Pixels(), jasper.Pixels(), image.Stride() * image.Height()));
}

TEST(LibraryFormats, ExtensionDecidesTheTypeBeforeLoading)
{
    std::vector<uint8_t> gif = ReadBytes(FixturePath("gif_256.gif"));
    const std::string asPng = TempPath("really_a_gif.png"),
                      asUnknown = TempPath("really_a_gif.dat");
    WriteBytes(asPng, gif);
    WriteBytes(asUnknown, gif);
    CImageObject byExtension(asPng.c_str(), 0);
    EXPECT_FALSE(byExtension.HasPixels());
    CImageObject named(asPng.c_str(), kImagePNG);
    EXPECT_FALSE(named.HasPixels());
    EXPECT_STRNE(named.LastError(), "");
    CImageObject detected(asUnknown.c_str(), 0);
    ASSERT_TRUE(detected.HasPixels()) << detected.LastError();
    EXPECT_EQ(detected.Type(), kImageGIF);
}

TEST(LibraryFormats, HugeDeclaredSidesAreRefusedBeforeDecoding)
{
    // PNG: a valid header of 60000 by 60000 and a few bytes of data.
    {
        CImageObject image;
        EXPECT_FALSE(DecodeBytes(
            image, Png(60000, 60000, 8, 2, { 0x78, 0x9C, 0x03, 0, 0, 0, 0, 1 }), kImagePNG));
        EXPECT_STREQ(image.LastError(), "IMAGE_MAX_MEMORY exceeded");
    }
    // JPEG: a real file whose frame header is made to claim 60000 by 60000.
    {
        std::vector<uint8_t> jpeg = ReadBytes(FixturePath("jpg_progressive.jpg"));
        const size_t sof = FindSof(jpeg);
        ASSERT_NE(sof, 0u);
        jpeg[sof + 5] = 0xEA;
        jpeg[sof + 6] = 0x60;
        jpeg[sof + 7] = 0xEA;
        jpeg[sof + 8] = 0x60;
        CImageObject image;
        EXPECT_FALSE(DecodeBytes(image, jpeg, kImageJPEG));
        EXPECT_STREQ(image.LastError(), "IMAGE_MAX_MEMORY exceeded");
    }
    // TIFF: the tags claim the size (grey, so larger sides than for colour
    // pass the bound); the strip holds almost nothing.
    {
        CImageObject image;
        EXPECT_FALSE(DecodeBytes(image, Tiff(100000, 100000, 16), kImageTIFF));
        EXPECT_STREQ(image.LastError(), "IMAGE_MAX_MEMORY exceeded");
    }
    // JBIG: the header's sides.
    {
        std::vector<uint8_t> jbg = ReadBytes(FixturePath("jbg_1.jbg"));
        Put32Be(jbg, 4, 0x7FFFFFF0);
        Put32Be(jbg, 8, 0x7FFFFFF0);
        CImageObject image;
        EXPECT_FALSE(DecodeBytes(image, jbg, kImageJBG));
        EXPECT_FALSE(image.HasPixels());
    }
    // A plain PNM header of 60000 by 60000 grey.
    {
        const std::string text = "P5 60000 60000 255\n";
        std::vector<uint8_t> pnm(text.begin(), text.end());
        pnm.resize(pnm.size() + 1000, 7);
        CImageObject image;
        EXPECT_FALSE(DecodeBytes(image, pnm, kImagePNM));
    }
}

TEST(LibraryFormats, SmallFilesOfTheWritersDecode)
{
    // The TIFF writer above, at a sane size, gives the grey it wrote: the
    // huge-size refusal is the size's doing, not the writer's.
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, Tiff(16, 4, 64), kImageTIFF)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 8);
    EXPECT_EQ(image.PixelColor(3, 2).rgbRed, 0x80);
}

TEST(LibraryFormats, TiffStripsAreBoundByWhatTheFileHolds)
{
    // The escape callback is asked just before the picture and the sample
    // buffers are allocated: a refusal with the callback unasked comes first.
    const ImageEscapeCallback stopAtOnce = [](CImageObject*, auto) -> int32_t { return 1; };
    auto refused = [&](const std::vector<uint8_t>& file) {
        CImageObject image;
        image.SetEscape(stopAtOnce, 0);
        return !DecodeBytes(image, file, kImageTIFF) &&
               strcmp(image.LastError(), "Corrupted TIFF file!") == 0;
    };
    EXPECT_TRUE(refused(Tiff(20000, 20000, 400000000)));  // one 400 MB strip in a file of 1.2 KB
    EXPECT_TRUE(refused(Tiff(16, 4, 63)));                // uncompressed, a byte short of its rows
    EXPECT_TRUE(
        refused(Tiff(10000, 10000, 1000, 8)));  // Deflate would have to expand 100,000 times
    CImageObject sane;
    sane.SetEscape(stopAtOnce, 0);
    EXPECT_FALSE(DecodeBytes(sane, Tiff(16, 4, 64), kImageTIFF));
    EXPECT_STREQ(sane.LastError(), "output dimensions returned");
}

TEST(LibraryFormats, LibraryErrorsComeBackAsText)
{
    std::vector<uint8_t> png = ReadBytes(FixturePath("png_rgb8.png"));
    CImageObject notJpeg;
    EXPECT_FALSE(DecodeBytes(notJpeg, png, kImageJPEG));
    EXPECT_NE(std::string(notJpeg.LastError()).find("Not a JPEG file"), std::string::npos)
        << notJpeg.LastError();
    // A damaged checksum in the header chunk is libpng's error, not a crash.
    png[29] ^= 0xFF;
    CImageObject badCrc;
    EXPECT_FALSE(DecodeBytes(badCrc, png, kImagePNG));
    EXPECT_STRNE(badCrc.LastError(), "");
    // A PNG cut short reads past its end.
    std::vector<uint8_t> cut = ReadBytes(FixturePath("png_rgb8.png"));
    cut.resize(cut.size() / 2);
    CImageObject truncated;
    EXPECT_FALSE(DecodeBytes(truncated, cut, kImagePNG));
    EXPECT_STREQ(truncated.LastError(), "Read Error");
    CImageObject notTiff;
    EXPECT_FALSE(DecodeBytes(notTiff, png, kImageTIFF));
    EXPECT_STREQ(notTiff.LastError(), "Error encountered while opening TIFF file");
    CImageObject notJ2k;
    EXPECT_FALSE(DecodeBytes(notJ2k, png, kImageJ2K));
    EXPECT_STREQ(notJ2k.LastError(), "failed to decode J2K image!");
    CImageObject notJasper;
    EXPECT_FALSE(DecodeBytes(notJasper, png, kImageRAS));
    EXPECT_STREQ(notJasper.LastError(), "error: cannot load image data");
}

TEST(LibraryFormats, DamagedFilesFailCleanly)
{
    for (const char* name :
         { "jpg_colour.jpg", "jpg_progressive.jpg", "png_interlaced.png", "png_palette8.png",
           "tif_rgb_strips.tif", "tif_rgb_tiles.tif", "tif_palette8.tif", "tif_bilevel.tif",
           "j2k_rgb.j2k", "jp2_grey.jp2", "jbg_1.jbg", "pgx_8.pgx", "pnm_rgb.ppm",
           "pnm_grey_plain.pgm", "ras_8.ras" }) {
        const std::vector<uint8_t> whole = ReadBytes(FixturePath(name));
        const uint32_t type = TypeFromExtension(name);
        for (size_t keep :
             { size_t{ 0 }, size_t{ 1 }, size_t{ 9 }, whole.size() / 3, whole.size() - 1 }) {
            std::vector<uint8_t> cut(whole.begin(),
                                     whole.begin() + static_cast<std::ptrdiff_t>(keep));
            CImageObject image;
            const bool ok = DecodeBytes(image, cut, type);
            if (!ok) {
                EXPECT_FALSE(image.HasPixels()) << name << " " << keep;
                EXPECT_LT(strlen(image.LastError()), 256u);
            }
        }
        // Bytes flipped all through the body.
        std::vector<uint8_t> noisy = whole;
        for (size_t i = 40; i < noisy.size(); i += 7)
            noisy[i] ^= 0x5A;
        CImageObject image;
        DecodeBytes(image, noisy, type);
        if (!image.HasPixels())
            EXPECT_STRNE(image.LastError(), "") << name;
    }
}

TEST(LibraryFormats, JpegResolutionFromExifThenJfif)
{
    std::vector<uint8_t> jpeg = ReadBytes(FixturePath("jpg_colour.jpg"));
    std::vector<uint8_t> exif = ExifApp1(300, 2);
    jpeg.insert(jpeg.begin() + 2, exif.begin(), exif.end());
    CImageObject withExif;
    ASSERT_TRUE(DecodeBytes(withExif, jpeg, kImageJPEG)) << withExif.LastError();
    EXPECT_EQ(withExif.Settings().xDpi, 300);
    EXPECT_EQ(withExif.Settings().yDpi, 300);
    // Dots per centimetre are turned into dots per inch.
    std::vector<uint8_t> cm = ReadBytes(FixturePath("jpg_colour.jpg"));
    exif = ExifApp1(100, 3);
    cm.insert(cm.begin() + 2, exif.begin(), exif.end());
    CImageObject perCm;
    ASSERT_TRUE(DecodeBytes(perCm, cm, kImageJPEG));
    EXPECT_EQ(perCm.Settings().xDpi, 254);
    CImageObject jfif(FixturePath("jpg_density.jpg").c_str(), 0);
    ASSERT_TRUE(jfif.HasPixels());
    EXPECT_EQ(jfif.Settings().xDpi, 183);  // 72 per centimetre
    // A broken Exif block leaves its text, and the picture still decodes.
    std::vector<uint8_t> broken = ReadBytes(FixturePath("jpg_colour.jpg"));
    exif = ExifApp1(300, 2);
    exif[10] = 'X';
    broken.insert(broken.begin() + 2, exif.begin(), exif.end());
    CImageObject damaged;
    EXPECT_TRUE(DecodeBytes(damaged, broken, kImageJPEG));
    EXPECT_STREQ(damaged.LastError(), "Invalid Exif alignment marker.");
}

TEST(LibraryFormats, PngRules)
{
    CImageObject phys(FixturePath("png_phys.png").c_str(), 0);
    ASSERT_TRUE(phys.HasPixels());
    EXPECT_EQ(phys.Settings().xDpi, 300);
    // 32-bit pixels keep their alpha as a mask, the same as ImageMagick reads,
    // whether parted row by row or, interlaced, after the last pass.
    for (const char* name : { "png_rgba8.png", "png_rgba8_interlaced.png" }) {
        CImageObject rgba(FixturePath(name).c_str(), 0);
        ASSERT_TRUE(rgba.HasPixels()) << name;
        ASSERT_NE(rgba.AlphaMask(), nullptr) << name;
        std::vector<uint8_t> ref = ReadBytes(FixturePath(std::string(name) + ".rgba"));
        // The width (45) leaves one pixel past the last group of four.
        for (int32_t y = 0; y < rgba.Height(); ++y)
            for (int32_t x = 0; x < rgba.Width(); ++x) {
                const uint8_t* want = &ref[4 * (y * rgba.Width() + x)];
                ASSERT_EQ(rgba.AlphaMask()[(rgba.Height() - 1 - y) * rgba.Width() + x], want[3])
                    << name;
                const RGBQUAD got = rgba.PixelColor(x, rgba.Height() - 1 - y);
                if (want[3])
                    ASSERT_EQ((std::array<int, 3>{ got.rgbRed, got.rgbGreen, got.rgbBlue }),
                              (std::array<int, 3>{ want[0], want[1], want[2] }))
                        << name << " " << x << "," << y;
            }
    }
    // 16-bit pixels with alpha are composited on the file's background (white
    // here), or on grey 192 without one: no mask either way.
    CImageObject greyAlpha(FixturePath("png_greyalpha8.png").c_str(), 0);
    ASSERT_TRUE(greyAlpha.HasPixels());
    EXPECT_EQ(greyAlpha.AlphaMask(), nullptr);
    EXPECT_EQ(greyAlpha.PixelColor(44, 0).rgbRed, 255);
    CImageObject noBackground(FixturePath("png_greyalpha8_nobkgd.png").c_str(), 0);
    ASSERT_TRUE(noBackground.HasPixels());
    EXPECT_EQ(noBackground.PixelColor(44, 0).rgbRed, 192);
    // The palette's transparency becomes the entries' alpha.
    CImageObject trns(FixturePath("png_palette_trns.png").c_str(), 0);
    ASSERT_TRUE(trns.HasPixels());
    bool anyClear = false;
    for (uint32_t i = 0; i < trns.ColorsUsed(); ++i)
        anyClear = anyClear || trns.Palette()[i].rgbReserved == 0;
    EXPECT_TRUE(anyClear);
    EXPECT_TRUE(trns.Settings().paletteAlpha || trns.TransparentIndex() == 0);
    // Two-bit grey gets its four greys.
    CImageObject grey2(FixturePath("png_grey2.png").c_str(), 0);
    ASSERT_TRUE(grey2.HasPixels());
    EXPECT_EQ(grey2.Palette()[1].rgbGreen, 85);
}

TEST(LibraryFormats, TiffPagesAreFrames)
{
    CImageObject second;
    second.SetFrame(1);
    second.Load(FixturePath("tif_pages.tif").c_str(), 0);
    ASSERT_TRUE(second.HasPixels()) << second.LastError();
    EXPECT_EQ(second.FrameCount(), 2);
    RGBQUAD c = second.PixelColor(5, 5);
    EXPECT_EQ(c.rgbRed, 0);
    EXPECT_EQ(c.rgbGreen, 128);
    EXPECT_EQ(c.rgbBlue, 128);
    CImageObject third;
    third.SetFrame(2);
    third.Load(FixturePath("tif_pages.tif").c_str(), 0);
    EXPECT_FALSE(third.HasPixels());
    EXPECT_STREQ(third.LastError(), "Error: page not present in TIFF file");
    EXPECT_EQ(third.FrameCount(), 2);
    // An alpha sample becomes the mask.
    CImageObject rgba(FixturePath("tif_rgba.tif").c_str(), 0);
    ASSERT_TRUE(rgba.HasPixels());
    ASSERT_NE(rgba.AlphaMask(), nullptr);
    EXPECT_EQ(rgba.AlphaMask()[0], 0);
}

TEST(LibraryFormats, ComponentFramesOfTheCodeStreamAndJasperTypes)
{
    CImageObject second;
    second.SetFrame(1);
    second.Load(FixturePath("j2k_grey.j2k").c_str(), 0);
    EXPECT_FALSE(second.HasPixels());
    EXPECT_STREQ(second.LastError(), "wrong frame!");
    CImageObject pgx;
    pgx.SetFrame(1);
    pgx.Load(FixturePath("pgx_8.pgx").c_str(), 0);
    EXPECT_FALSE(pgx.HasPixels());
    EXPECT_STREQ(pgx.LastError(), "wrong frame!");
}

TEST(LibraryFormats, Jpeg2000FourthComponentIsTheAlphaMask)
{
    const std::vector<uint8_t> file = ReadBytes(FixturePath("jp2_rgba.jp2"));
    const std::vector<uint8_t> ref = ReadBytes(FixturePath("jp2_rgba.jp2.rgba"));
    for (uint32_t type : { kImageJ2K, kImageJP2 }) {
        CImageObject image;
        ASSERT_TRUE(DecodeBytes(image, file, type)) << image.LastError();
        ASSERT_NE(image.AlphaMask(), nullptr) << type;
        const int32_t w = image.Width(), h = image.Height();
        int wrong = 0;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                wrong += image.AlphaMask()[(h - 1 - y) * w + x] != ref[4 * (y * w + x) + 3];
        EXPECT_EQ(wrong, 0) << type;
    }
}

TEST(LibraryFormats, JbigWithTwoPlanesIsRefused)
{
    std::vector<uint8_t> jbg = ReadBytes(FixturePath("jbg_1.jbg"));
    jbg[2] = 2;
    CImageObject image;
    EXPECT_FALSE(DecodeBytes(image, jbg, kImageJBG));
    EXPECT_STREQ(image.LastError(), "cannot decode images with more than 1 plane");
}

}  // namespace

// A caller that asks to stop part-way (a Close during the scan) ends the
// library decoders with "Cancelled" and no picture; one that never asks gets
// the whole picture.
int32_t StopOnSecondCall(CImageObject*, intptr_t calls)
{
    return ++*reinterpret_cast<int*>(calls) >= 2;
}

TEST(LibraryFormats, DecodersStopWhenTheCallerAsks)
{
    for (const char* name : { "jpg_colour.jpg", "jpg_progressive.jpg", "png_rgb8.png",
                              "png_interlaced8.png", "gif_anim.gif" }) {
        const std::vector<uint8_t> bytes = ReadBytes(FixturePath(name));
        int calls = 0;
        CImageObject stopped;
        stopped.SetEscape(StopOnSecondCall, reinterpret_cast<intptr_t>(&calls));
        EXPECT_FALSE(DecodeBytes(stopped, bytes, TypeFromExtension(name))) << name;
        EXPECT_FALSE(stopped.HasPixels()) << name;
        CImageObject whole;
        EXPECT_TRUE(DecodeBytes(whole, bytes, TypeFromExtension(name))) << name;
    }
}

// A thumbnail of a large JPEG is made from a decode shrunk on load. The size
// it reports stays the file's; the tile it gives differs from the one made
// from the full decode only as two area averages of the same picture do:
// the DCT's own rounding and a slightly different sampling grid.
TEST(LibraryFormats, JpegShrunkOnLoadMakesTheSameThumbnail)
{
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath("jpg_photo.jpg"));
    CImageObject full, shrunk;
    shrunk.Settings().jpegFitEdge = 120;
    ASSERT_TRUE(DecodeBytes(full, bytes, kImageJPEG));
    ASSERT_TRUE(DecodeBytes(shrunk, bytes, kImageJPEG));
    EXPECT_EQ(shrunk.Width(), 125);  // 1000 / 8: the largest scale that covers 120
    EXPECT_EQ(shrunk.SourceWidth(), 1000);
    EXPECT_EQ(shrunk.SourceHeight(), 750);
    ASSERT_TRUE(full.Rescale(120, 90, ResampleMode::kSmooth, nullptr));
    ASSERT_TRUE(shrunk.Rescale(120, 90, ResampleMode::kSmooth, nullptr));
    const std::vector<uint8_t> a = TopDownRgb(full), b = TopDownRgb(shrunk);
    ASSERT_EQ(a.size(), b.size());
    double total = 0;
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const int d = std::abs(a[i] - b[i]);
        total += d;
        worst = std::max(worst, d);
    }
    EXPECT_LT(total / a.size(), 2.0);
    EXPECT_LE(worst, 16);  // seen: mean 1.4, worst 10
}

// A budget bounds the pixels of any format, and a JPEG's working memory
// too: a progressive one holds every coefficient of the picture at once,
// more than its pixels take.
TEST(LibraryFormats, AMemoryBudgetRefusesWhatWouldExceedIt)
{
    for (const char* name : { "jpg_colour.jpg", "png_rgb8.png", "jpg_progressive.jpg" }) {
        const std::vector<uint8_t> bytes = ReadBytes(FixturePath(name));
        const uint32_t type = TypeFromExtension(name);
        CImageObject free;
        ASSERT_TRUE(DecodeBytes(free, bytes, type)) << name;
        const bool progressive = strstr(name, "progressive") != nullptr;
        CImageObject within, beyond;
        within.Settings().memoryBudget = progressive ? 1u << 20 : free.BlockSize();
        beyond.Settings().memoryBudget = progressive ? free.BlockSize() : free.BlockSize() - 1;
        EXPECT_TRUE(DecodeBytes(within, bytes, type)) << name;
        EXPECT_FALSE(DecodeBytes(beyond, bytes, type)) << name;
        EXPECT_FALSE(beyond.HasPixels()) << name;
    }
}
