// BMP, ICO, TGA, PCX and WBMP cases the fixtures do not cover: files of our
// own making, damaged and hostile headers, and the error texts.
#include <gtest/gtest.h>

#include "tests/host/test_util.h"

namespace {

void Le16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Le32(std::vector<uint8_t>& v, uint32_t x)
{
    Le16(v, x & 0xFFFF);
    Le16(v, x >> 16);
}

std::string Decoded(const std::vector<uint8_t>& bytes, uint32_t type, CImageObject& image)
{
    DecodeBytes(image, bytes, type);
    return image.LastError();
}

TEST(Bmp, BareDibWithoutFileHeaderIsRead)
{
    std::vector<uint8_t> bmp = ReadBytes(FixturePath("bmp_8.bmp"));
    std::vector<uint8_t> dib(bmp.begin() + 14, bmp.end());
    CImageObject framed, bare;
    ASSERT_TRUE(DecodeBytes(framed, bmp, kImageBMP));
    ASSERT_TRUE(DecodeBytes(bare, dib, kImageBMP)) << bare.LastError();
    EXPECT_EQ(TopDownRgb(framed), TopDownRgb(bare));
}

TEST(Bmp, TopDownFileIsFlipped)
{
    std::vector<uint8_t> bmp = ReadBytes(FixturePath("bmp_24.bmp"));
    CImageObject bottomUp;
    ASSERT_TRUE(DecodeBytes(bottomUp, bmp, kImageBMP));
    const uint32_t offset = bmp[10] | bmp[11] << 8, stride = bottomUp.Stride();
    const int32_t h = bottomUp.Height();
    std::vector<uint8_t> flipped(bmp.begin(), bmp.begin() + offset);
    for (int32_t y = h - 1; y >= 0; --y)
        flipped.insert(flipped.end(), bmp.begin() + offset + y * stride,
                       bmp.begin() + offset + (y + 1) * stride);
    int32_t negative = -h;
    memcpy(&flipped[22], &negative, 4);
    CImageObject topDown;
    ASSERT_TRUE(DecodeBytes(topDown, flipped, kImageBMP));
    EXPECT_EQ(topDown.Height(), h);
    EXPECT_EQ(TopDownRgb(topDown), TopDownRgb(bottomUp));
}

std::vector<uint8_t> Rle4Bmp()
{
    std::vector<uint8_t> v = { 'B', 'M' };
    std::vector<uint8_t> data = {
        4, 0x12, 0, 0, 3, 0x34, 0, 1
    };  // row 0: 1 2 1 2; row 1: 3 4 3; end
    Le32(v, 14 + 40 + 64 + static_cast<uint32_t>(data.size()));
    Le32(v, 0);
    Le32(v, 14 + 40 + 64);
    Le32(v, 40);
    Le32(v, 4);
    Le32(v, 2);
    Le16(v, 1);
    Le16(v, 4);
    Le32(v, BI_RLE4);
    Le32(v, static_cast<uint32_t>(data.size()));
    Le32(v, 3780);
    Le32(v, 3780);
    Le32(v, 16);
    Le32(v, 0);
    for (int i = 0; i < 16; ++i)
        Le32(v, static_cast<uint32_t>(i * 0x101010));
    v.insert(v.end(), data.begin(), data.end());
    return v;
}

TEST(Bmp, Rle4RunsAndResolution)
{
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, Rle4Bmp(), kImageBMP)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 4);
    const int row0[4] = { 1, 2, 1, 2 }, row1[3] = { 3, 4, 3 };
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(image.PixelIndex(x, 0), row0[x]);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(image.PixelIndex(x, 1), row1[x]);
    EXPECT_EQ(image.Settings().xDpi, 96);
}

TEST(Bmp, ExtremePelsPerMetreSaturateInThePicturesHeader)
{
    std::vector<uint8_t> v = Rle4Bmp();
    for (int i = 0; i < 4; ++i) {
        v[38 + i] = static_cast<uint8_t>(0x7FFFFFFFu >> 8 * i);
        v[42 + i] = static_cast<uint8_t>(0x80000000u >> 8 * i);
    }
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, v, kImageBMP)) << image.LastError();
    EXPECT_EQ(image.Settings().xDpi, 54546085);
    EXPECT_EQ(image.Settings().yDpi, -54546085);
    BITMAPINFOHEADER header;
    memcpy(&header, image.Block(), sizeof header);
    EXPECT_EQ(header.biXPelsPerMeter, INT32_MAX);
    EXPECT_EQ(header.biYPelsPerMeter, INT32_MIN);
}

TEST(Bmp, DamagedHeadersFailWithTheirTexts)
{
    CImageObject image;
    std::vector<uint8_t> v = Rle4Bmp();
    v[14] = 41;
    EXPECT_EQ(Decoded(v, kImageBMP, image), "Not a BMP");
    v = Rle4Bmp();
    v[30] = 9;
    EXPECT_EQ(Decoded(v, kImageBMP, image), "unknown compression");
    v = Rle4Bmp();
    v[30] = BI_RLE8;
    EXPECT_EQ(Decoded(v, kImageBMP, image), "compression type not supported");
    v = Rle4Bmp();
    v.resize(30);
    EXPECT_EQ(Decoded(v, kImageBMP, image), "Error reading BMP info");
}

TEST(Bmp, HostileSizeIsRefusedBeforeAnyPicture)
{
    std::vector<uint8_t> v = Rle4Bmp();
    uint32_t huge = 60000;
    memcpy(&v[18], &huge, 4);
    memcpy(&v[22], &huge, 4);
    CImageObject image;
    EXPECT_FALSE(DecodeBytes(image, v, kImageBMP));
    EXPECT_FALSE(image.HasPixels());
}

int32_t Stop(CImageObject*, intptr_t)
{
    return 1;
}

TEST(Bmp, EscapeBeforeThePictureReturnsTheDimensions)
{
    CImageObject image;
    image.SetEscape(Stop, 0);
    EXPECT_EQ(Decoded(Rle4Bmp(), kImageBMP, image), "output dimensions returned");
}

// Targa of our own: every type and depth, both origins, a known pattern.
std::vector<uint8_t> Tga(uint8_t type, uint8_t depth, uint8_t descriptor, int w, int h)
{
    std::vector<uint8_t> v = { 0, static_cast<uint8_t>((type & 7) == 1), type };
    Le16(v, 0);
    Le16(v, (type & 7) == 1 ? 256 : 0);
    v.push_back((type & 7) == 1 ? 24 : 0);
    Le16(v, 0);
    Le16(v, 0);
    Le16(v, static_cast<uint32_t>(w));
    Le16(v, static_cast<uint32_t>(h));
    v.push_back(depth);
    v.push_back(descriptor);
    if ((type & 7) == 1)
        for (int i = 0; i < 256; ++i)
            v.insert(v.end(), { static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 9 });
    const int bytes = (depth + 7) / 8;
    for (int row = 0; row < h; ++row) {
        std::vector<uint8_t> line;
        for (int i = 0; i < w; ++i) {
            int x = (descriptor & 0x10) ? w - 1 - i : i;
            int y = (descriptor & 0x20) ? row : h - 1 - row;  // y from the top
            uint8_t p[4] = { static_cast<uint8_t>(x * 16 + y), static_cast<uint8_t>(y * 8),
                             static_cast<uint8_t>(x), 200 };
            if (depth == 16 || depth == 15) {
                uint16_t q = static_cast<uint16_t>((x & 31) | (y & 31) << 5 | ((x + y) & 31) << 10);
                p[0] = static_cast<uint8_t>(q);
                p[1] = static_cast<uint8_t>(q >> 8);
            }
            line.insert(line.end(), p, p + bytes);
        }
        if (type & 8) {  // one raw packet per pixel pair, runs of one pixel otherwise
            for (int i = 0; i < w; i += 2) {
                int n = i + 1 < w ? 2 : 1;
                if (n == 2 && memcmp(&line[i * bytes], &line[(i + 1) * bytes], bytes) == 0) {
                    v.push_back(0x81);
                    v.insert(v.end(), line.begin() + i * bytes, line.begin() + (i + 1) * bytes);
                } else {
                    v.push_back(static_cast<uint8_t>(n - 1));
                    v.insert(v.end(), line.begin() + i * bytes, line.begin() + (i + n) * bytes);
                }
            }
        } else {
            v.insert(v.end(), line.begin(), line.end());
        }
    }
    return v;
}

TEST(Tga, EveryTypeDepthAndOrigin)
{
    struct {
        uint8_t type, depth;
    } kinds[] = { { 1, 8 }, { 3, 8 },  { 2, 15 },  { 2, 16 },  { 2, 24 }, { 2, 32 },
                  { 9, 8 }, { 11, 8 }, { 10, 16 }, { 10, 24 }, { 10, 32 } };
    for (const auto& k : kinds)
        for (uint8_t descriptor : { 0x00, 0x20, 0x10, 0x30 }) {
            const int w = 7, h = 5;
            CImageObject image;
            ASSERT_TRUE(DecodeBytes(image, Tga(k.type, k.depth, descriptor, w, h), kImageTGA))
                << int(k.type) << "/" << int(k.depth) << ": " << image.LastError();
            EXPECT_EQ(image.Bpp(), k.depth == 8 ? 8 : 24);
            EXPECT_EQ(image.AlphaMask() != nullptr, k.depth == 32);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    RGBQUAD c = image.PixelColor(x, h - 1 - y);
                    uint8_t first = static_cast<uint8_t>(x * 16 + y);
                    if (k.depth == 8 && (k.type & 7) == 1) {
                        ASSERT_EQ(c.rgbBlue, first);
                        ASSERT_EQ(c.rgbGreen, 255 - first);
                    } else if (k.depth == 8) {
                        ASSERT_EQ(c.rgbRed, first);
                    } else if (k.depth <= 16) {
                        ASSERT_EQ(c.rgbBlue, ((x & 31) * 255 + 15) / 31);
                        ASSERT_EQ(c.rgbRed, (((x + y) & 31) * 255 + 15) / 31);
                    } else {
                        ASSERT_EQ(c.rgbBlue, first);
                        ASSERT_EQ(c.rgbGreen, y * 8);
                        ASSERT_EQ(c.rgbRed, x);
                    }
                }
        }
}

TEST(Tga, DamagedFilesFailWithTheirTexts)
{
    CImageObject image;
    std::vector<uint8_t> v = Tga(2, 24, 0, 4, 4);
    EXPECT_EQ(Decoded(std::vector<uint8_t>(v.begin(), v.begin() + 10), kImageTGA, image),
              "Not a TGA");
    v[2] = 5;
    EXPECT_EQ(Decoded(v, kImageTGA, image), "Unknown TGA image type");
    v = Tga(2, 24, 0, 4, 4);
    v[16] = 12;
    EXPECT_EQ(Decoded(v, kImageTGA, image), "bad TGA header");
    v = Tga(10, 24, 0, 4, 4);
    v.resize(v.size() - 5);
    EXPECT_EQ(Decoded(v, kImageTGA, image), "corrupted TGA");
    v = Tga(2, 24, 0, 4, 4);
    v[12] = 0xFF, v[13] = 0xFF, v[14] = 0xFF, v[15] = 0xFF;
    EXPECT_EQ(Decoded(v, kImageTGA, image), "corrupted TGA");
}

TEST(Pcx, HeaderChecksAndTexts)
{
    std::vector<uint8_t> pcx = ReadBytes(FixturePath("pcx_8.pcx"));
    CImageObject image;
    std::vector<uint8_t> v = pcx;
    v[0] = 9;
    EXPECT_EQ(Decoded(v, kImagePCX, image), "Error: Not a PCX file");
    v = pcx;
    v[2] = 0;
    EXPECT_EQ(Decoded(v, kImagePCX, image), "PCX file has unknown encoding scheme");
    v = pcx;
    v[65] = 5;
    EXPECT_EQ(Decoded(v, kImagePCX, image), "Can't handle image with more than 4 planes");
    v = pcx;
    v[v.size() - 769] = 11;
    EXPECT_EQ(Decoded(v, kImagePCX, image), "bad color map signature");
    EXPECT_EQ(Decoded(std::vector<uint8_t>(pcx.begin(), pcx.begin() + 100), kImagePCX, image),
              "Can't read PCX image");
}

TEST(Pcx, FourPlanesOfOneBitGiveSixteenColours)
{
    std::vector<uint8_t> v(128, 0);
    v[0] = 10;
    v[1] = 5;
    v[2] = 1;
    v[3] = 1;
    v[8] = 7;  // xmax: 8 wide, 1 high
    v[65] = 4;
    v[66] = 1;
    for (int i = 0; i < 16; ++i)
        v[16 + 3 * i] = static_cast<uint8_t>(i * 10);
    v.insert(v.end(), { 0x0F, 0x33, 0x55, 0xC1, 0xFF });  // planes 0 to 3; 0xFF needs a run
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, v, kImagePCX)) << image.LastError();
    EXPECT_EQ(image.Bpp(), 4);
    const int expect[8] = { 8, 12, 10, 14, 9, 13, 11, 15 };
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(image.PixelIndex(x, 0), expect[x]) << x;
    EXPECT_EQ(image.PixelColor(1, 0).rgbRed, 120);
}

TEST(Wbmp, SidesAndTexts)
{
    CImageObject image;
    EXPECT_EQ(Decoded({ 0, 0, 0, 3 }, kImageWBMP, image), "Corrupted WBMP");
    EXPECT_EQ(Decoded({ 1, 0, 1, 1, 0 }, kImageWBMP, image), "Unsupported WBMP type");
    EXPECT_EQ(Decoded({ 0, 1, 1, 1, 0 }, kImageWBMP, image), "Not a WBMP");
    EXPECT_EQ(Decoded({ 0, 0, 9, 2, 0x80, 0x80 }, kImageWBMP, image), "Corrupted WBMP");
    ASSERT_TRUE(DecodeBytes(image, { 0, 0, 9, 2, 0x80, 0x80, 0x00, 0x80 }, kImageWBMP));
    EXPECT_EQ(image.PixelIndex(0, 1), 1);  // top row first
    EXPECT_EQ(image.PixelIndex(8, 1), 1);
    EXPECT_EQ(image.PixelIndex(0, 0), 0);
    EXPECT_EQ(image.Palette()[1].rgbRed, 255);
    // Sides of 128 and more take several bytes: 0x81 0x00 is 128.
    std::vector<uint8_t> wide = { 0, 0, 0x81, 0x00, 1 };
    wide.resize(wide.size() + 16, 0xFF);
    ASSERT_TRUE(DecodeBytes(image, wide, kImageWBMP)) << image.LastError();
    EXPECT_EQ(image.Width(), 128);
    wide.pop_back();  // a byte short of its row
    EXPECT_EQ(Decoded(wide, kImageWBMP, image), "Corrupted WBMP");
    // Five bytes of side, and a side whose rows the file cannot hold.
    EXPECT_EQ(Decoded({ 0, 0, 0x81, 0x80, 0x80, 0x80, 0x00, 1, 0 }, kImageWBMP, image),
              "Corrupted WBMP");
    EXPECT_EQ(
        Decoded({ 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0 }, kImageWBMP, image),
        "Corrupted WBMP");
}

std::vector<uint8_t> Icon(uint8_t w, uint8_t h, const std::vector<uint8_t>& andRows,
                          uint8_t xorRow = 0xAA)
{
    std::vector<uint8_t> v;
    Le16(v, 0);
    Le16(v, 1);
    Le16(v, 1);
    v.insert(v.end(), { w, h, 2, 0 });
    Le16(v, 1);
    Le16(v, 1);
    Le32(v, 0);
    Le32(v, 22);
    Le32(v, 40);
    Le32(v, w ? w : 256);
    Le32(v, 2u * (h ? h : 256));
    Le16(v, 1);
    Le16(v, 1);
    for (int i = 0; i < 6; ++i)
        Le32(v, 0);
    Le32(v, 0x00000000);
    Le32(v, 0x00FFFFFF);
    for (int y = 0; y < h; ++y)
        Le32(v, xorRow);  // 0xAA: pixels 1 0 1 0 1 0 1 0
    v.insert(v.end(), andRows.begin(), andRows.end());
    return v;
}

TEST(Ico, MaskedPixelsTakeTheFirstUnusedIndex)
{
    // 4x1 one-bit icon using both indices: every index in use, the alpha mask stays.
    CImageObject both;
    ASSERT_TRUE(DecodeBytes(both, Icon(4, 1, { 0x40, 0, 0, 0 }), kImageICO));
    ASSERT_NE(both.AlphaMask(), nullptr);
    EXPECT_EQ(both.AlphaMask()[1], 0);
    EXPECT_EQ(both.AlphaMask()[0], 255);
    EXPECT_EQ(both.TransparentIndex(), -1);
    // All mask bits set: not applied.
    CImageObject all;
    ASSERT_TRUE(DecodeBytes(all, Icon(4, 1, { 0xFF, 0xFF, 0xFF, 0xFF }), kImageICO));
    EXPECT_EQ(all.AlphaMask(), nullptr);
}

TEST(Ico, ZeroSideIsNotDecoded)
{
    CImageObject image;
    EXPECT_FALSE(DecodeBytes(image, Icon(0, 1, { 0, 0, 0, 0 }), kImageICO));
    EXPECT_EQ(image.FrameCount(), 1);
    EXPECT_STREQ(image.LastError(),
                 "CImageObject::Create : width and height must be greater than zero");
}

TEST(Ico, FrameBeyondTheDirectoryFails)
{
    CImageObject image;
    image.SetFrame(1);
    EXPECT_FALSE(DecodeBytes(image, Icon(4, 1, { 0, 0, 0, 0 }), kImageICO));
    EXPECT_EQ(image.FrameCount(), 1);
}

TEST(Ico, PalettedIconGetsATransparentIndex)
{
    // Every pixel index 1, the second one masked: index 0 is free and takes it.
    CImageObject image;
    ASSERT_TRUE(DecodeBytes(image, Icon(4, 1, { 0x40, 0, 0, 0 }, 0xFF), kImageICO));
    EXPECT_EQ(image.TransparentIndex(), 0);
    EXPECT_EQ(image.AlphaMask(), nullptr);
    EXPECT_EQ(image.PixelIndex(1, 0), 0);
    EXPECT_EQ(image.PixelIndex(0, 0), 1);
}

}  // namespace
