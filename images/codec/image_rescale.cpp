// Resampling. The new picture is built in its own object and swapped in at the
// end, so a refused rescale leaves the old picture as it was.
#include <cmath>
#include <cstring>
#include <vector>

#include "images/codec/image_object.h"
#include "images/codec/palette_match.h"

namespace {

uint8_t ClampByte(int64_t v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

float CubeOfPositive(float u)
{
    return u > 0 ? u * u * u : 0.0f;
}

float BSplineWeight(float t)
{
    if (t > 2)
        return 0;
    return (CubeOfPositive(t + 2) - 4 * CubeOfPositive(t + 1) + 6 * CubeOfPositive(t) -
            4 * CubeOfPositive(t - 1)) /
           6;
}

RGBQUAD Quad(int32_t red, int32_t green, int32_t blue)
{
    RGBQUAD c;
    c.rgbRed = ClampByte(red);
    c.rgbGreen = ClampByte(green);
    c.rgbBlue = ClampByte(blue);
    c.rgbReserved = 0;
    return c;
}

// Writes the destination's pixels: 24-bit colours as they are, colours of a
// paletted picture as their nearest entry, which is most of the cost of
// rescaling one.
class PixelWriter {
public:
    explicit PixelWriter(CImageObject& out) : m_out(out), m_paletted(out.Bpp() <= 8), m_matcher(out)
    {}
    void operator()(int32_t x, int32_t y, RGBQUAD color)
    {
        if (m_paletted)
            m_out.PutIndex(x, y, m_matcher.Nearest(color));
        else
            m_out.PutColor(x, y, color);
    }

private:
    CImageObject& m_out;
    bool m_paletted;
    CPaletteMatcher m_matcher;
};

}  // namespace

bool CImageObject::RowProgress(uint32_t row, uint32_t rows)
{
    m_settings.progress =
        static_cast<int32_t>(static_cast<uint64_t>(row) * 100 / (rows ? rows : 1));
    return !Escape();
}

bool CImageObject::Rescale(uint32_t newWidth, uint32_t newHeight, ResampleMode mode,
                           CImageObject* target)
{
    if (newWidth == 0 || newHeight == 0 || !m_block)
        return false;
    uint32_t width = m_header.biWidth, height = m_header.biHeight;
    if (newWidth == width && newHeight == height) {
        if (target)
            target->CopyFrom(*this, true, true, true);
        return true;
    }
    float xScale = static_cast<float>(width) / static_cast<float>(newWidth);
    float yScale = static_cast<float>(height) / static_cast<float>(newHeight);

    CImageObject out;
    out.m_settings = m_settings;
    if (!out.Create(newWidth, newHeight, m_header.biBitCount, m_settings.type)) {
        // The text only: the status stays that of the decode whose picture is kept.
        SetLastError(out.LastError());
        return false;
    }
    uint32_t colors = m_header.biClrUsed < 256 ? m_header.biClrUsed : 256;
    out.SetPaletteEntries(Palette(), colors);

    if (mode == ResampleMode::kNearest)
        RescaleNearest(out, xScale, yScale);
    else if (mode == ResampleMode::kBSpline)
        RescaleBSpline(out, xScale, yScale);
    else if (m_header.biBitCount == 24 && newWidth < width && newHeight < height)
        RescaleBox(out, xScale, yScale);
    else
        RescaleBilinear(out, xScale, yScale);

    if (m_alpha && out.AllocateAlpha()) {
        for (uint32_t y = 0; y < newHeight; ++y) {
            int32_t sy = Clamp(static_cast<int32_t>(y * yScale), 0, height - 1);
            for (uint32_t x = 0; x < newWidth; ++x) {
                int32_t sx = Clamp(static_cast<int32_t>(x * xScale), 0, width - 1);
                out.m_alpha[static_cast<size_t>(y) * newWidth + x] =
                    m_alpha[static_cast<size_t>(sy) * width + sx];
            }
        }
    }
    (target ? target : this)->TakeOver(out);
    return true;
}

bool CImageObject::RescaleNearest(CImageObject& out, float xScale, float yScale)
{
    PixelWriter put(out);
    int32_t newWidth = out.Width(), newHeight = out.Height();
    for (int32_t y = 0; y < newHeight; ++y) {
        if (!RowProgress(y, newHeight))
            return false;
        int32_t sy = static_cast<int32_t>(y * yScale);
        for (int32_t x = 0; x < newWidth; ++x)
            put(x, y, PixelColor(static_cast<int32_t>(x * xScale), sy));
    }
    return true;
}

bool CImageObject::RescaleBSpline(CImageObject& out, float xScale, float yScale)
{
    PixelWriter put(out);
    int32_t newWidth = out.Width(), newHeight = out.Height();
    int32_t width = Width(), height = Height();
    for (int32_t y = 0; y < newHeight; ++y) {
        if (!RowProgress(y, newHeight))
            return false;
        float fy = y * yScale - 0.5f;
        int32_t iy = static_cast<int32_t>(std::floor(fy));
        float dy = fy - iy;
        for (int32_t x = 0; x < newWidth; ++x) {
            float fx = x * xScale - 0.5f;
            int32_t ix = static_cast<int32_t>(std::floor(fx));
            float dx = fx - ix;
            float red = 0, green = 0, blue = 0;
            for (int m = -1; m <= 2; ++m) {
                float wy = BSplineWeight(m - dy);
                int32_t sy = Clamp(iy + m, 0, height - 1);
                for (int n = -1; n <= 2; ++n) {
                    float w = wy * BSplineWeight(dx - n);
                    RGBQUAD c = PixelColor(Clamp(ix + n, 0, width - 1), sy);
                    red += c.rgbRed * w;
                    green += c.rgbGreen * w;
                    blue += c.rgbBlue * w;
                }
            }
            put(x, y,
                Quad(static_cast<int32_t>(red), static_cast<int32_t>(green),
                     static_cast<int32_t>(blue)));
        }
    }
    return true;
}

bool CImageObject::RescaleBilinear(CImageObject& out, float xScale, float yScale)
{
    PixelWriter put(out);
    int32_t newWidth = out.Width(), newHeight = out.Height();
    int32_t width = Width(), height = Height();
    for (int32_t y = 0; y < newHeight; ++y) {
        if (!RowProgress(y, newHeight))
            return false;
        float fy = y * yScale;
        int32_t iy = static_cast<int32_t>(fy);
        int32_t iy1 = iy + 1 < height - 1 ? iy + 1 : height - 1;
        float dy = fy - iy;
        for (int32_t x = 0; x < newWidth; ++x) {
            float fx = x * xScale;
            int32_t ix = static_cast<int32_t>(fx);
            int32_t ix1 = ix + 1 < width - 1 ? ix + 1 : width - 1;
            float dx = fx - ix;
            RGBQUAD c1 = PixelColor(ix, iy), c2 = PixelColor(ix1, iy);
            RGBQUAD c3 = PixelColor(ix, iy1), c4 = PixelColor(ix1, iy1);
            auto mix = [&](BYTE a1, BYTE a2, BYTE a3, BYTE a4) {
                float a = a1 * (1 - dy) + a3 * dy;
                float b = a2 * (1 - dy) + a4 * dy;
                return static_cast<int32_t>(a * (1 - dx) + b * dx);
            };
            put(x, y,
                Quad(mix(c1.rgbRed, c2.rgbRed, c3.rgbRed, c4.rgbRed),
                     mix(c1.rgbGreen, c2.rgbGreen, c3.rgbGreen, c4.rgbGreen),
                     mix(c1.rgbBlue, c2.rgbBlue, c3.rgbBlue, c4.rgbBlue)));
        }
    }
    return true;
}

// Area averaging in thousandths. The sums are 64-bit: with 32 bits a source
// area of more than about 90 by 90 pixels per destination pixel overflows.
bool CImageObject::RescaleBox(CImageObject& out, float xScale, float yScale)
{
    const int64_t A = 1000;
    const uint32_t newWidth = out.Width(), newHeight = out.Height();
    const int32_t width = Width(), height = Height();
    const int64_t nScale = static_cast<int64_t>(A * xScale * yScale);
    const size_t n = 3 * static_cast<size_t>(newWidth) + 3;
    std::vector<int64_t> rowA(n, 0), rowB(n, 0);
    int64_t* acc = rowA.data();
    int64_t* carry = rowB.data();
    uint32_t v = 0;
    uint8_t* o = out.Row(0);
    float endY = yScale - 1;
    for (int32_t y = 0; y < height; ++y) {
        if (!RowProgress(y, height))
            return false;
        const uint8_t* src = Row(y);
        float endX = xScale - 1;
        size_t i = 0;
        uint32_t u = 0;
        if (y < endY) {
            for (int32_t x = 0; x < width; ++x, src += 3) {
                if (x < endX || u >= newWidth) {
                    for (int j = 0; j < 3; ++j)
                        acc[i + j] += A * src[j];
                    continue;
                }
                int64_t wx = static_cast<int64_t>((x - endX) * A);
                for (int j = 0; j < 3; ++j, ++i) {
                    acc[i] += (A - wx) * src[j];
                    acc[i + 3] += wx * src[j];
                }
                endX += xScale;
                ++u;
            }
            continue;
        }
        const bool writable = v < newHeight;
        int64_t wy = static_cast<int64_t>((y - endY) * A);
        for (int32_t x = 0; x < width; ++x, src += 3) {
            if (x < endX || u >= newWidth) {
                for (int j = 0; j < 3; ++j) {
                    acc[i + j] += (A - wy) * src[j];
                    carry[i + j] += wy * src[j];
                }
                continue;
            }
            int64_t wx = static_cast<int64_t>((x - endX) * A);
            for (int j = 0; j < 3; ++j, ++i) {
                int64_t s = src[j];
                acc[i] += (A - wy) * (A - wx) * s / A;
                if (writable)
                    *o++ = ClampByte(acc[i] / nScale);
                carry[i] += wy * (A - wx) * s / A;
                acc[i + 3] += (A - wy) * wx * s / A;
                carry[i + 3] = wy * wx * s / A;
            }
            endX += xScale;
            ++u;
        }
        if (u < newWidth && writable)
            for (int j = 0; j < 3; ++j, ++i)
                *o++ = ClampByte(acc[i] / nScale);
        std::swap(acc, carry);
        carry[0] = carry[1] = carry[2] = 0;
        ++v;
        if (v < newHeight)
            o = out.Row(v);
        endY += yScale;
    }
    if (v < newHeight) {
        o = out.Row(v);
        for (size_t k = 0; k < 3 * static_cast<size_t>(newWidth); ++k)
            o[k] = ClampByte(acc[k] / nScale);
    }
    return true;
}
