// The image object: type table, picture creation, pixel access, palette and
// the ownership operations.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/test_util.h"

namespace {

TEST(TypeFromExtension, FollowsTheTableWithoutRegardToCase)
{
    struct {
        const char* path;
        uint32_t type;
    } cases[] = {
        { "a.bmp", 1 },       { "a.gif", 2 },  { "photo.JPEG", 3 }, { "a.jpg", 3 },
        { "a.png", 4 },       { "a.ico", 5 },  { "a.tif", 6 },      { "a.TIFF", 6 },
        { "a.tga", 7 },       { "a.pcx", 8 },  { "a.wbmp", 9 },     { "a.wmf", 10 },
        { "a.emf", 10 },      { "a.j2k", 11 }, { "a.jp2", 11 },     { "a.jbg", 12 },
        { "a.jpc", 14 },      { "a.j2c", 14 }, { "a.pgx", 15 },     { "a.pnm", 16 },
        { "a.pgm", 16 },      { "a.ppm", 16 }, { "a.ras", 17 },     { "C:\\a.b\\file", 0 },
        { "noextension", 0 }, { "a.txt", 0 },  { "a.", 0 },         { "a.bmp.gz", 0 }
    };
    for (const auto& c : cases)
        EXPECT_EQ(TypeFromExtension(c.path), c.type) << c.path;
}

TEST(Create, NormalisesTheDepthAndPalette)
{
    struct {
        uint32_t asked, bpp, colors;
    } cases[] = { { 0, 1, 2 },   { 1, 1, 2 },   { 2, 4, 16 }, { 4, 4, 16 },
                  { 5, 8, 256 }, { 8, 8, 256 }, { 9, 24, 0 }, { 32, 24, 0 } };
    for (const auto& c : cases) {
        CImageObject image;
        ASSERT_TRUE(image.Create(3, 2, c.asked, kImageBMP)) << c.asked;
        EXPECT_EQ(image.Bpp(), c.bpp);
        EXPECT_EQ(image.ColorsUsed(), c.colors);
        EXPECT_EQ(image.BlockSize(), 40 + 4 * c.colors + image.Stride() * 2);
        const BITMAPINFOHEADER* h = static_cast<const BITMAPINFOHEADER*>(image.Block());
        EXPECT_EQ(h->biBitCount, c.bpp);
        EXPECT_EQ(h->biSizeImage, image.Stride() * 2);
        EXPECT_EQ(image.Pixels(), static_cast<const uint8_t*>(image.Block()) + 40 + 4 * c.colors);
    }
}

TEST(Create, StrideIsWholeWords)
{
    CImageObject image;
    for (uint32_t bpp : { 1u, 4u, 8u, 24u }) {
        image.Create(1, 1, bpp, kImageBMP);
        EXPECT_EQ(image.Stride(), 4u) << bpp;
    }
    image.Create(33, 1, 1, kImageBMP);
    EXPECT_EQ(image.Stride(), 8u);
    image.Create(5, 1, 24, kImageBMP);
    EXPECT_EQ(image.Stride(), 16u);
    image.Create(9, 1, 4, kImageBMP);
    EXPECT_EQ(image.Stride(), 8u);
}

TEST(Create, RefusesZeroSidesAndHugePicturesBeforeAllocating)
{
    CImageObject image;
    EXPECT_EQ(image.Create(0, 5, 8, kImageBMP), nullptr);
    EXPECT_STREQ(image.LastError(),
                 "CImageObject::Create : width and height must be greater than zero");
    EXPECT_EQ(image.Create(100000, 100000, 24, kImageBMP), nullptr);
    EXPECT_STREQ(image.LastError(), "IMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(image.Create(0xFFFFFFFFu, 0xFFFFFFFFu, 24, kImageBMP), nullptr);
    EXPECT_STREQ(image.LastError(), "IMAGE_MAX_MEMORY exceeded");
    EXPECT_FALSE(image.HasPixels());
}

TEST(Pixels, IndexAccessAtEveryDepth)
{
    for (uint32_t bpp : { 1u, 4u, 8u }) {
        CImageObject image;
        image.Create(13, 3, bpp, kImageBMP);
        const uint8_t mask = static_cast<uint8_t>((1u << bpp) - 1);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 13; ++x)
                image.PutIndex(x, y, static_cast<uint8_t>((x * 5 + y) & mask));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 13; ++x)
                EXPECT_EQ(image.PixelIndex(x, y), (x * 5 + y) & mask) << bpp;
        image.PutIndex(13, 0, 1);  // outside: nothing happens
        image.PutIndex(-1, 0, 1);
        EXPECT_EQ(image.PixelIndex(0, 0), 0);
    }
}

TEST(Pixels, FourBitNibblesAndOneBitOrder)
{
    CImageObject image;
    image.Create(3, 1, 4, kImageBMP);
    image.PutIndex(0, 0, 0xA);
    image.PutIndex(1, 0, 0x5);
    EXPECT_EQ(image.Row(0)[0], 0xA5);
    image.Create(9, 1, 1, kImageBMP);
    image.PutIndex(0, 0, 1);
    image.PutIndex(8, 0, 1);
    EXPECT_EQ(image.Row(0)[0], 0x80);
    EXPECT_EQ(image.Row(0)[1], 0x80);
}

TEST(Pixels, OutsideGivesTransparentIndexElseFirstByte)
{
    CImageObject image;
    image.Create(4, 4, 8, kImageBMP);
    image.FillIndex(9);
    image.PutIndex(0, 0, 7);
    EXPECT_EQ(image.PixelIndex(10, 10), 7);
    image.Settings().transparentIndex = 3;
    EXPECT_EQ(image.PixelIndex(-1, 0), 3);
}

TEST(Pixels, ColorAccessOfTrueColour)
{
    CImageObject image;
    image.Create(2, 2, 24, kImageBMP);
    RGBQUAD c = { 10, 20, 30, 0 };
    image.PutColor(1, 1, c);
    RGBQUAD back = image.PixelColor(1, 1);
    EXPECT_EQ(back.rgbBlue, 10);
    EXPECT_EQ(back.rgbGreen, 20);
    EXPECT_EQ(back.rgbRed, 30);
    EXPECT_EQ(image.Row(1)[3], 10);
    EXPECT_EQ(image.PixelIndex(1, 1), 0);
}

TEST(Palette, GreyStepsByDepth)
{
    struct {
        uint32_t bpp, step;
    } cases[] = { { 1, 255 }, { 4, 17 }, { 8, 1 } };
    for (const auto& c : cases) {
        CImageObject image;
        image.Create(1, 1, c.bpp, kImageBMP);
        image.SetGreyPalette();
        for (uint32_t i = 0; i < image.ColorsUsed(); ++i)
            EXPECT_EQ(image.Palette()[i].rgbRed, i * c.step);
    }
}

TEST(Palette, FillIndexRules)
{
    CImageObject image;
    image.Create(8, 2, 1, kImageBMP);
    image.FillIndex(5);
    EXPECT_EQ(image.Row(1)[0], 255);
    image.Create(8, 2, 4, kImageBMP);
    image.FillIndex(0x13);
    EXPECT_EQ(image.Row(0)[0], 0x33);
    image.Create(8, 2, 8, kImageBMP);
    image.FillIndex(200);
    EXPECT_EQ(image.Row(1)[7], 200);
}

TEST(Palette, SetEntriesStopsAtThePaletteAndKeepsReserved)
{
    CImageObject image;
    image.Create(1, 1, 1, kImageBMP);
    image.Palette()[1].rgbReserved = 77;
    uint8_t r[3] = { 1, 2, 3 }, g[3] = { 4, 5, 6 }, b[3] = { 7, 8, 9 };
    image.SetPaletteEntries(3, r, g, b);
    EXPECT_EQ(image.Palette()[1].rgbRed, 2);
    EXPECT_EQ(image.Palette()[1].rgbBlue, 8);
    EXPECT_EQ(image.Palette()[1].rgbReserved, 77);
    RGBQUAD q[4] = { { 1, 1, 1, 1 }, { 2, 2, 2, 2 }, { 3, 3, 3, 3 }, { 4, 4, 4, 4 } };
    image.SetPaletteEntries(q, 4);  // 16 bytes offered, 8 fit
    EXPECT_EQ(image.Palette()[1].rgbReserved, 2);
}

TEST(Palette, NearestIndexPrefersTheLowestOfEqualEntries)
{
    CImageObject image;
    image.Create(1, 1, 4, kImageBMP);
    image.SetPaletteColor(3, 100, 100, 100);
    image.SetPaletteColor(5, 100, 100, 100);
    image.SetPaletteColor(6, 110, 100, 100);
    image.SetPaletteColor(7, 90, 100, 100);
    RGBQUAD c = { 100, 100, 100, 0 };
    EXPECT_EQ(image.NearestPaletteIndex(c), 3);
    RGBQUAD between = { 100, 100, 101, 0 };
    EXPECT_EQ(image.NearestPaletteIndex(between), 3);
    RGBQUAD tie = { 100, 100, 105, 0 };  // 6 and 3 are 5 away, 3 first
    EXPECT_EQ(image.NearestPaletteIndex(tie), 3);
}

TEST(Palette, NearestCacheIsDroppedByPaletteChanges)
{
    CImageObject image;
    image.Create(1, 1, 1, kImageBMP);
    image.SetPaletteColor(1, 255, 255, 255);
    RGBQUAD red = { 0, 0, 250, 0 };
    EXPECT_EQ(image.NearestPaletteIndex(red), 0);
    image.SetPaletteColor(1, 250, 0, 0);
    EXPECT_EQ(image.NearestPaletteIndex(red), 1);
}

TEST(Ownership, TakeOverMovesEverythingAndEmptiesTheGiver)
{
    CImageObject a, b;
    a.Create(5, 4, 8, kImageGIF);
    a.Settings().transparentIndex = 4;
    a.AllocateAlpha();
    const void* block = a.Block();
    b.Create(2, 2, 24, kImageBMP);
    b.TakeOver(a);
    EXPECT_EQ(b.Block(), block);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.TransparentIndex(), 4);
    EXPECT_NE(b.AlphaMask(), nullptr);
    EXPECT_FALSE(a.HasPixels());
    EXPECT_EQ(a.AlphaMask(), nullptr);
    EXPECT_EQ(a.Width(), 0);
}

TEST(Ownership, CopyFromCopiesPixelsOrOnlyThePalette)
{
    CImageObject a;
    a.Create(3, 3, 8, kImageGIF);
    a.FillIndex(6);
    a.SetPaletteColor(6, 1, 2, 3);
    a.AllocateAlpha();
    a.AlphaMask()[0] = 9;
    CImageObject full, bare;
    ASSERT_TRUE(full.CopyFrom(a, true, true, true));
    EXPECT_EQ(0, memcmp(full.Block(), a.Block(), a.BlockSize()));
    ASSERT_NE(full.AlphaMask(), nullptr);
    EXPECT_EQ(full.AlphaMask()[0], 9);
    ASSERT_TRUE(bare.CopyFrom(a, false, false, false));
    EXPECT_EQ(bare.PixelIndex(1, 1), 0);
    EXPECT_EQ(bare.Palette()[6].rgbBlue, 3);
    EXPECT_EQ(bare.AlphaMask(), nullptr);
}

TEST(Ownership, CopySettingsOnlyIntoAnEmptyObject)
{
    CImageObject a, empty, full;
    a.Settings().frame = 3;
    empty.CopySettings(a);
    EXPECT_EQ(empty.Settings().frame, 3);
    full.Create(1, 1, 8, kImageBMP);
    full.CopySettings(a);
    EXPECT_EQ(full.Settings().frame, 0);
}

TEST(Ownership, GhostBorrowsAndNeverReleases)
{
    CImageObject owner;
    owner.Create(4, 4, 8, kImageBMP);
    {
        CImageObject ghost;
        ghost.Ghost(owner);
        EXPECT_TRUE(ghost.IsGhost());
        EXPECT_EQ(ghost.Block(), owner.Block());
        EXPECT_EQ(ghost.Create(2, 2, 8, kImageBMP), nullptr);
    }
    owner.PutIndex(3, 3, 1);  // still owned and alive (the sanitizer would object)
    EXPECT_EQ(owner.PixelIndex(3, 3), 1);
}

TEST(Loading, UnopenableFileKeepsTheError)
{
    CImageObject image("/nonexistent/x.gif", 0);
    EXPECT_FALSE(image.HasPixels());
    EXPECT_STREQ(image.LastError(), "");
}

TEST(Loading, ExtensionDecidesBeforeContent)
{
    std::vector<uint8_t> gif = ReadBytes(FixturePath("gif_256.gif"));
    WriteBytes(TempPath("gif_named.png"), gif);
    WriteBytes(TempPath("gif_named.xyz"), gif);
    CImageObject byPng(TempPath("gif_named.png").c_str(), 0);
    EXPECT_FALSE(byPng.HasPixels());
    // The PNG decoder's own refusal: libpng's text, not the detection's.
    EXPECT_STREQ(byPng.LastError(), "Not a PNG file");
    CImageObject asGif(TempPath("gif_named.png").c_str(), kImageGIF);
    EXPECT_TRUE(asGif.HasPixels());
    CImageObject detected(TempPath("gif_named.xyz").c_str(), 0);
    EXPECT_TRUE(detected.HasPixels());
    EXPECT_EQ(detected.Type(), kImageGIF);
    CImageObject outOfRange(TempPath("gif_named.xyz").c_str(), 40);
    EXPECT_TRUE(outOfRange.HasPixels());
}

TEST(Loading, NothingRecognisedGivesTheDispatchText)
{
    std::vector<uint8_t> junk(300, 0x55);
    CImageObject image;
    EXPECT_FALSE(DecodeBytes(image, junk, 0));
    EXPECT_STREQ(image.LastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(DecodeBytes(image, junk, kImageTypeCount));
    EXPECT_STREQ(image.LastError(), "Decode: Unknown or wrong format");
}

}  // namespace
