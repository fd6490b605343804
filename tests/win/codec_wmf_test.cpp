// The metafile decoder on metafiles drawn here with GDI.
#include <gtest/gtest.h>

#include <vector>

#include "image_object.h"

namespace {

std::vector<uint8_t> Enhanced(int width, int height, COLORREF fill) {
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  HBRUSH brush = CreateSolidBrush(fill);
  RECT box = {0, 0, width, height};
  FillRect(dc, &box, brush);
  DeleteObject(brush);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  std::vector<uint8_t> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteEnhMetaFile(emf);
  return bytes;
}

void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}

std::vector<uint8_t> Placeable(int16_t width, int16_t height, uint16_t inch) {
  HDC dc = CreateMetaFileA(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(dc, brush);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, width, height, nullptr);
  Rectangle(dc, 0, 0, width, height);
  HMETAFILE wmf = CloseMetaFile(dc);
  DeleteObject(brush);
  std::vector<uint8_t> body(GetMetaFileBitsEx(wmf, 0, nullptr));
  GetMetaFileBitsEx(wmf, static_cast<UINT>(body.size()), body.data());
  DeleteMetaFile(wmf);
  std::vector<uint8_t> v;
  Put16(v, 0xCDD7); Put16(v, 0x9AC6); Put16(v, 0);
  Put16(v, 0); Put16(v, 0); Put16(v, static_cast<uint16_t>(width)); Put16(v, static_cast<uint16_t>(height));
  Put16(v, inch); Put16(v, 0); Put16(v, 0);
  uint16_t sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= static_cast<uint16_t>(v[2 * i] | v[2 * i + 1] << 8);
  Put16(v, sum);
  v.insert(v.end(), body.begin(), body.end());
  return v;
}

bool Decode(CImageObject& image, const std::vector<uint8_t>& bytes, uint32_t type) {
  CMemoryStream stream(bytes.data(), bytes.size());
  return image.Decode(stream, type);
}

TEST(Wmf, EnhancedMetafileIsDrawnAtItsBounds) {
  CImageObject image;
  ASSERT_TRUE(Decode(image, Enhanced(40, 30, RGB(200, 10, 20)), kImageWMF)) << image.LastError();
  EXPECT_NEAR(image.Width(), 40, 2);
  EXPECT_NEAR(image.Height(), 30, 2);
  EXPECT_EQ(image.Type(), kImageWMF);
  RGBQUAD c = image.PixelColor(image.Width() / 2, image.Height() / 2);
  EXPECT_EQ(c.rgbRed, 200);
  EXPECT_EQ(c.rgbBlue, 20);
}

TEST(Wmf, PlaceableMetafileScalesByUnitsPerInch) {
  CImageObject image;
  ASSERT_TRUE(Decode(image, Placeable(1440, 720, 1440), kImageWMF)) << image.LastError();
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(image.Width(), dpi);
  EXPECT_EQ(image.Height(), dpi / 2);
}

TEST(Wmf, LongSidesAreReducedToFourThousandKeepingTheAspect) {
  CImageObject image;
  ASSERT_TRUE(Decode(image, Enhanced(6000, 1500, RGB(0, 128, 0)), kImageWMF)) << image.LastError();
  EXPECT_EQ(image.Width(), 4000);
  EXPECT_NEAR(image.Height(), 1000, 2);
}

TEST(Wmf, DamagedFilesFail) {
  CImageObject image;
  std::vector<uint8_t> bad = Placeable(100, 100, 1440);
  bad[20] ^= 1;  // checksum
  EXPECT_FALSE(Decode(image, bad, kImageWMF));
  EXPECT_STREQ(image.LastError(), "corrupted WMF");
  std::vector<uint8_t> junk(64, 0x11);
  EXPECT_FALSE(Decode(image, junk, kImageWMF));
  EXPECT_STREQ(image.LastError(), "corrupted WMF");
}

TEST(Wmf, DetectedAfterTheOtherFormats) {
  CImageObject image;
  ASSERT_TRUE(Decode(image, Enhanced(20, 20, RGB(1, 2, 3)), 0)) << image.LastError();
  EXPECT_EQ(image.Type(), kImageWMF);
}

}  // namespace
