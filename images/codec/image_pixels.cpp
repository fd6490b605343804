// Pixel access and the palette. Coordinates count memory rows: y = 0 is the
// bottom line of the picture.
#include <cstring>

#include "images/codec/image_object.h"

uint8_t CImageObject::PixelIndex(int32_t x, int32_t y) const
{
    if (!m_block || m_header.biBitCount == 24)
        return 0;
    if (!IsInside(x, y)) {
        if (m_settings.transparentIndex >= 0)
            return static_cast<uint8_t>(m_settings.transparentIndex);
        return m_pixels[0];
    }
    const uint8_t* row = Row(y);
    switch (m_header.biBitCount) {
    case 8:
        return row[x];
    case 4:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
}

RGBQUAD CImageObject::PixelColor(int32_t x, int32_t y) const
{
    RGBQUAD c = { 0, 0, 0, 0 };
    if (!m_block)
        return c;
    if (m_header.biBitCount != 24)
        return Palette()[PixelIndex(x, y) % m_header.biClrUsed];
    if (!IsInside(x, y))
        return c;
    const uint8_t* p = Row(y) + 3 * static_cast<size_t>(x);
    c.rgbBlue = p[0];
    c.rgbGreen = p[1];
    c.rgbRed = p[2];
    return c;
}

void CImageObject::PutIndex(int32_t x, int32_t y, uint8_t index)
{
    if (!IsInside(x, y) || m_header.biBitCount == 24)
        return;
    uint8_t* row = Row(y);
    switch (m_header.biBitCount) {
    case 8:
        row[x] = index;
        break;
    case 4: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? (b & 0xF0) | (index & 0x0F) : (b & 0x0F) | static_cast<uint8_t>(index << 4);
        break;
    }
    default: {
        uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
        uint8_t& b = row[x >> 3];
        b = (index & 1) ? (b | mask) : (b & ~mask);
    }
    }
}

void CImageObject::PutColor(int32_t x, int32_t y, RGBQUAD color)
{
    if (!IsInside(x, y))
        return;
    if (m_header.biBitCount != 24) {
        PutIndex(x, y, NearestPaletteIndex(color));
        return;
    }
    uint8_t* p = Row(y) + 3 * static_cast<size_t>(x);
    p[0] = color.rgbBlue;
    p[1] = color.rgbGreen;
    p[2] = color.rgbRed;
}

uint8_t CImageObject::NearestPaletteIndex(RGBQUAD color)
{
    if (!m_block || m_header.biClrUsed == 0)
        return 0;
    ImageSettings& s = m_settings;
    if (s.nearestValid && memcmp(&s.nearestColor, &color, sizeof color) == 0)
        return s.nearestIndex;
    uint32_t n = m_header.biClrImportant ? m_header.biClrImportant : m_header.biClrUsed;
    if (n > m_header.biClrUsed)
        n = m_header.biClrUsed;
    const RGBQUAD* pal = Palette();
    int32_t best = 200000;
    uint8_t answer = 0;
    for (uint32_t i = 0; i < n; ++i) {
        int32_t dr = pal[i].rgbRed - color.rgbRed;
        int32_t dg = pal[i].rgbGreen - color.rgbGreen;
        int32_t db = pal[i].rgbBlue - color.rgbBlue;
        int32_t d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            answer = static_cast<uint8_t>(i);
            if (d == 0)
                break;
        }
    }
    s.nearestColor = color;
    s.nearestIndex = answer;
    s.nearestValid = true;
    return answer;
}

void CImageObject::SetGreyPalette()
{
    uint32_t n = m_header.biClrUsed;
    if (!m_block || n < 2)
        return;
    RGBQUAD* pal = Palette();
    uint32_t step = 255 / (n - 1);
    for (uint32_t i = 0; i < n; ++i) {
        BYTE v = static_cast<BYTE>(i * step);
        pal[i].rgbBlue = pal[i].rgbGreen = pal[i].rgbRed = v;
        pal[i].rgbReserved = 0;
    }
    InvalidateNearest();
}

void CImageObject::FillIndex(int32_t value)
{
    if (!m_block)
        return;
    uint8_t byte;
    if (m_header.biBitCount == 1)
        byte = value ? 255 : 0;
    else if (m_header.biBitCount == 4)
        byte = static_cast<uint8_t>((static_cast<uint32_t>(value) & 15) * 17);
    else
        byte = static_cast<uint8_t>(value);
    memset(m_pixels, byte, static_cast<size_t>(m_stride) * m_header.biHeight);
}

void CImageObject::SetPaletteEntries(uint32_t n, const uint8_t* red, const uint8_t* green,
                                     const uint8_t* blue)
{
    if (!m_block)
        return;
    if (n > m_header.biClrUsed)
        n = m_header.biClrUsed;
    RGBQUAD* pal = Palette();
    for (uint32_t i = 0; i < n; ++i) {
        pal[i].rgbRed = red[i];
        pal[i].rgbGreen = green[i];
        pal[i].rgbBlue = blue[i];
    }
    InvalidateNearest();
}

void CImageObject::SetPaletteEntries(const RGBQUAD* entries, uint32_t n)
{
    if (!m_block || !entries)
        return;
    uint64_t bytes = static_cast<uint64_t>(n) * 4;
    if (bytes > PaletteSize())
        bytes = PaletteSize();
    memcpy(Palette(), entries, static_cast<size_t>(bytes));
    InvalidateNearest();
}

void CImageObject::SetPaletteColor(uint8_t index, uint8_t red, uint8_t green, uint8_t blue)
{
    if (!m_block || index >= m_header.biClrUsed)
        return;
    RGBQUAD& e = Palette()[index];
    e.rgbRed = red;
    e.rgbGreen = green;
    e.rgbBlue = blue;
    InvalidateNearest();
}
