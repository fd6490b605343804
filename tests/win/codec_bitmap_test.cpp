// ToBitmap hands the pixel block to GDI unchanged: same depth, same rows.
#include <gtest/gtest.h>

#include <cstring>

#include "images/codec/image_object.h"

namespace {

TEST(ToBitmap, EmptyObjectGivesNothing)
{
    CImageObject image;
    EXPECT_EQ(image.ToBitmap(nullptr), nullptr);
}

TEST(ToBitmap, SectionKeepsDepthAndRows)
{
    for (uint32_t bpp : { 1u, 4u, 8u, 24u }) {
        CImageObject image;
        ASSERT_TRUE(image.Create(13, 7, bpp, kImageBMP));
        for (uint32_t i = 0; i < image.Stride() * 7; ++i)
            image.Pixels()[i] = static_cast<uint8_t>(i * 31);
        if (bpp <= 8)
            image.SetPaletteColor(1, 200, 100, 50);
        HBITMAP bitmap = image.ToBitmap(nullptr);
        ASSERT_NE(bitmap, nullptr) << bpp;
        DIBSECTION section;
        ASSERT_EQ(GetObject(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
        EXPECT_EQ(section.dsBm.bmBitsPixel, bpp);
        EXPECT_EQ(section.dsBm.bmWidth, 13);
        EXPECT_EQ(section.dsBm.bmHeight, 7);
        EXPECT_EQ(0, memcmp(section.dsBm.bmBits, image.Pixels(), image.Stride() * 7)) << bpp;
        if (bpp <= 8) {
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(dc, bitmap);
            RGBQUAD entry;
            ASSERT_EQ(GetDIBColorTable(dc, 1, 1, &entry), 1u);
            EXPECT_EQ(entry.rgbRed, 200);
            EXPECT_EQ(entry.rgbBlue, 50);
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        DeleteObject(bitmap);
    }
}

TEST(ToBitmap, DeviceBitmapShowsTheStoredColours)
{
    CImageObject image;
    ASSERT_TRUE(image.Create(4, 2, 24, kImageBMP));
    RGBQUAD c = { 30, 60, 90, 0 };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            image.PutColor(x, y, c);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = image.ToBitmap(screen);
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF pixel = GetPixel(dc, 2, 1);
    EXPECT_EQ(GetRValue(pixel), 90);
    EXPECT_EQ(GetGValue(pixel), 60);
    EXPECT_EQ(GetBValue(pixel), 30);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
}

}  // namespace
