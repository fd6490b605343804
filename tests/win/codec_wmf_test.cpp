// The metafile decoder on metafiles drawn here with GDI.
#include <gtest/gtest.h>

#include <vector>

#include "images/codec/image_object.h"
#include "tests/common/metafile_samples.h"

namespace {

std::vector<uint8_t> Enhanced(int width, int height, COLORREF fill)
{
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT box = { 0, 0, width, height };
    FillRect(dc, &box, brush);
    DeleteObject(brush);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::vector<uint8_t> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), bytes.data());
    DeleteEnhMetaFile(emf);
    return bytes;
}

void Put16(std::vector<uint8_t>& v, uint16_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

// Records of most kinds the record checks look into, as GDI writes them.
void DrawMany(HDC dc)
{
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 255));
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    HFONT font = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush),
            oldFont = SelectObject(dc, font);
    const POINT points[6] = { { 2, 2 }, { 30, 4 }, { 20, 30 }, { 40, 40 }, { 60, 45 }, { 50, 60 } };
    const INT counts[2] = { 3, 3 };
    Polygon(dc, points, 3);
    Polyline(dc, points + 3, 3);
    PolyPolygon(dc, points, counts, 2);
    Ellipse(dc, 40, 5, 60, 25);
    TextOutA(dc, 5, 40, "Zema", 4);
    const uint8_t bits[16] = { 0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0 };
    BITMAPINFO info = {};
    // Wine's WMF recorder stores as many bytes of bits as the image size says.
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), 2, 2, 1, 24, BI_RGB, sizeof bits, 0, 0, 0, 0 };
    StretchDIBits(dc, 60, 60, 20, 20, 0, 0, 2, 2, bits, &info, DIB_RGB_COLORS, SRCCOPY);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteObject(font);
}

std::vector<uint8_t> ManyRecordsEnhanced()
{
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    DrawMany(dc);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::vector<uint8_t> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), bytes.data());
    DeleteEnhMetaFile(emf);
    return bytes;
}

// A WMF drawn by `draw` on a window of width by height units, behind a
// placeable header.
template <typename Draw>
std::vector<uint8_t> Placeable(int16_t width, int16_t height, uint16_t inch, Draw draw)
{
    HDC dc = CreateMetaFileA(nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, width, height, nullptr);
    draw(dc);
    HMETAFILE wmf = CloseMetaFile(dc);
    std::vector<uint8_t> body(GetMetaFileBitsEx(wmf, 0, nullptr));
    GetMetaFileBitsEx(wmf, static_cast<UINT>(body.size()), body.data());
    DeleteMetaFile(wmf);
    std::vector<uint8_t> v;
    Put16(v, 0xCDD7);
    Put16(v, 0x9AC6);
    Put16(v, 0);
    Put16(v, 0);
    Put16(v, 0);
    Put16(v, static_cast<uint16_t>(width));
    Put16(v, static_cast<uint16_t>(height));
    Put16(v, inch);
    Put16(v, 0);
    Put16(v, 0);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= static_cast<uint16_t>(v[2 * i] | v[2 * i + 1] << 8);
    Put16(v, sum);
    v.insert(v.end(), body.begin(), body.end());
    return v;
}

std::vector<uint8_t> Placeable(int16_t width, int16_t height, uint16_t inch)
{
    return Placeable(width, height, inch, [&](HDC dc) {
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
        HGDIOBJ old = SelectObject(dc, brush);
        Rectangle(dc, 0, 0, width, height);
        SelectObject(dc, old);
        DeleteObject(brush);
    });
}

bool Decode(CImageObject& image, const std::vector<uint8_t>& bytes, uint32_t type)
{
    CMemoryStream stream(bytes.data(), bytes.size());
    return image.Decode(stream, type);
}

TEST(Wmf, EnhancedMetafileIsDrawnAtItsBounds)
{
    CImageObject image;
    ASSERT_TRUE(Decode(image, Enhanced(40, 30, RGB(200, 10, 20)), kImageWMF)) << image.LastError();
    EXPECT_NEAR(image.Width(), 40, 2);
    EXPECT_NEAR(image.Height(), 30, 2);
    EXPECT_EQ(image.Type(), kImageWMF);
    RGBQUAD c = image.PixelColor(image.Width() / 2, image.Height() / 2);
    EXPECT_EQ(c.rgbRed, 200);
    EXPECT_EQ(c.rgbBlue, 20);
}

TEST(Wmf, PlaceableMetafileScalesByUnitsPerInch)
{
    CImageObject image;
    ASSERT_TRUE(Decode(image, Placeable(1440, 720, 1440), kImageWMF)) << image.LastError();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(image.Width(), dpi);
    EXPECT_EQ(image.Height(), dpi / 2);
}

TEST(Wmf, LongSidesAreReducedToFourThousandKeepingTheAspect)
{
    CImageObject image;
    ASSERT_TRUE(Decode(image, Enhanced(6000, 1500, RGB(0, 128, 0)), kImageWMF))
        << image.LastError();
    EXPECT_EQ(image.Width(), 4000);
    EXPECT_NEAR(image.Height(), 1000, 2);
}

TEST(Wmf, DamagedFilesFail)
{
    CImageObject image;
    std::vector<uint8_t> bad = Placeable(100, 100, 1440);
    bad[20] ^= 1;  // checksum
    EXPECT_FALSE(Decode(image, bad, kImageWMF));
    EXPECT_STREQ(image.LastError(), "corrupted WMF");
    std::vector<uint8_t> junk(64, 0x11);
    EXPECT_FALSE(Decode(image, junk, kImageWMF));
    EXPECT_STREQ(image.LastError(), "corrupted WMF");
}

TEST(Wmf, RecordsAsGdiWritesThemPassTheChecks)
{
    for (const std::vector<uint8_t>& file :
         { ManyRecordsEnhanced(), Placeable(100, 100, 1440, DrawMany) }) {
        CImageObject image;
        EXPECT_TRUE(Decode(image, file, kImageWMF)) << image.LastError();
    }
    for (const Sample& s : GoodMetafiles()) {
        CImageObject image;
        EXPECT_TRUE(Decode(image, s.bytes, kImageWMF)) << s.name << ": " << image.LastError();
    }
}

TEST(Wmf, HostileFilesAreRefusedBeforeThePlayerSeesThem)
{
    for (const Sample& s : HostileMetafiles()) {
        const DWORD start = GetTickCount();
        CImageObject image;
        EXPECT_FALSE(Decode(image, s.bytes, kImageWMF)) << s.name;
        EXPECT_STREQ(image.LastError(), "corrupted WMF") << s.name;
        EXPECT_LT(GetTickCount() - start, 2000u) << s.name;
    }
    // The 70,000 brushes were never made: GDI still has room.
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_NE(brush, nullptr);
    DeleteObject(brush);
}

TEST(Wmf, DetectedAfterTheOtherFormats)
{
    CImageObject image;
    ASSERT_TRUE(Decode(image, Enhanced(20, 20, RGB(1, 2, 3)), 0)) << image.LastError();
    EXPECT_EQ(image.Type(), kImageWMF);
}

}  // namespace
