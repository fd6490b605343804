// BMP and bare DIB files: Windows (40-byte and later) and OS/2 (12-byte)
// headers, palettes, RLE4 and RLE8, bit fields, top-down rows.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"

namespace {

struct BmpInfo {
    uint32_t headerSize = 0;
    int64_t width = 0, height = 0;
    uint32_t bpp = 0, compression = 0, colorsUsed = 0;
    int32_t xPpm = 0, yPpm = 0;
    uint32_t masks[3] = { 0, 0, 0 };
    bool os2 = false;
};

bool KnownHeaderSize(uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

BmpInfo ReadInfo(CImageStream& s)
{
    BmpInfo info;
    uint8_t b[124];
    if (!s.ReadAll(b, 4))
        throw DecodeFailure{ DecodeStatus::kCorrupt, "Error reading BMP info" };
    info.headerSize = ReadLe32(b);
    if (!KnownHeaderSize(info.headerSize))
        throw DecodeFailure{ DecodeStatus::kUnsupported, "Not a BMP" };
    if (!s.ReadAll(b + 4, info.headerSize - 4))
        throw DecodeFailure{ DecodeStatus::kCorrupt, "Error reading BMP info" };
    if (info.headerSize == 12) {
        info.os2 = true;
        info.width = ReadLe16(b + 4);
        info.height = static_cast<int16_t>(ReadLe16(b + 6));
        info.bpp = ReadLe16(b + 10);
        return info;
    }
    info.width = static_cast<int32_t>(ReadLe32(b + 4));
    info.height = static_cast<int32_t>(ReadLe32(b + 8));
    info.bpp = ReadLe16(b + 14);
    info.compression = ReadLe32(b + 16);
    info.xPpm = static_cast<int32_t>(ReadLe32(b + 24));
    info.yPpm = static_cast<int32_t>(ReadLe32(b + 28));
    info.colorsUsed = ReadLe32(b + 32);
    if (info.compression == BI_BITFIELDS) {
        if (info.headerSize == 40 && !s.ReadAll(b + 40, 12))
            throw DecodeFailure{ DecodeStatus::kCorrupt, "Error reading BMP info" };
        for (int i = 0; i < 3; ++i)
            info.masks[i] = ReadLe32(b + 40 + 4 * i);
    }
    return info;
}

void CheckInfo(const BmpInfo& info)
{
    if (info.width <= 0 || info.height == 0 || info.height == INT32_MIN)
        throw DecodeFailure{ DecodeStatus::kCorrupt, "Error reading BMP info" };
    switch (info.bpp) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        throw DecodeFailure{ DecodeStatus::kCorrupt, "Error reading BMP info" };
    }
    switch (info.compression) {
    case BI_RGB:
        return;
    case BI_RLE8:
        if (info.bpp == 8)
            return;
        break;
    case BI_RLE4:
        if (info.bpp == 4)
            return;
        break;
    case BI_BITFIELDS:
        if (info.bpp == 16 || info.bpp == 32)
            return;
        break;
    case 4:
    case 5:
        break;  // JPEG and PNG inside a BMP
    default:
        throw DecodeFailure{ DecodeStatus::kUnsupported, "unknown compression" };
    }
    throw DecodeFailure{ DecodeStatus::kUnsupported, "compression type not supported" };
}

// A channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    uint32_t mask = 0, shift = 0, max = 0;
    explicit Channel(uint32_t m) : mask(m)
    {
        if (!m)
            return;
        while (!((m >> shift) & 1))
            ++shift;
        max = m >> shift;
    }
    uint8_t Of(uint32_t pixel) const
    {
        if (!max)
            return 0;
        uint64_t v = (pixel & mask) >> shift;
        return static_cast<uint8_t>((v * 255 + max / 2) / max);
    }
};

}  // namespace

namespace {

class BmpReader {
public:
    BmpReader(CImageObject& image, CImageStream& s, const BmpInfo& info)
        : m_image(image), m_s(s), m_info(info),
          m_height(static_cast<int32_t>(info.height < 0 ? -info.height : info.height))
    {}

    void Palette()
    {
        if (m_info.bpp > 8)
            return;
        uint32_t n = 1u << m_info.bpp;
        if (m_info.colorsUsed && m_info.colorsUsed < n)
            n = m_info.colorsUsed;
        const size_t entry = m_info.os2 ? 3 : 4;
        uint8_t raw[256 * 4];
        if (!m_s.ReadAll(raw, n * entry))
            throw DecodeFailure{ DecodeStatus::kCorrupt, "Error reading BMP info" };
        for (uint32_t i = 0; i < n; ++i)
            m_image.SetPaletteColor(static_cast<uint8_t>(i), raw[i * entry + 2], raw[i * entry + 1],
                                    raw[i * entry]);
    }

    void Rows()
    {
        switch (m_info.compression) {
        case BI_RLE8:
            Rle(false);
            break;
        case BI_RLE4:
            Rle(true);
            break;
        default:
            m_info.bpp == 16 || m_info.bpp == 32 ? Wide() : Plain();
        }
        if (m_info.height < 0)
            Flip();
    }

private:
    void Cancel()
    {
        if (m_image.Escape())
            throw DecodeFailure{ DecodeStatus::kCancelled, "Cancelled" };
    }

    void Plain()
    {
        const uint32_t stride = m_image.Stride();
        for (int32_t y = 0; y < m_height; ++y) {
            Cancel();
            if (!m_s.ReadAll(m_image.Row(y), stride))
                return;  // a short file keeps what it held
        }
    }

    void Wide()
    {
        uint32_t r = 0x7C00, g = 0x03E0, b = 0x001F;
        if (m_info.compression == BI_BITFIELDS) {
            r = m_info.masks[0];
            g = m_info.masks[1];
            b = m_info.masks[2];
        } else if (m_info.bpp == 32) {
            r = 0xFF0000, g = 0xFF00, b = 0xFF;
        }
        const Channel red(r), green(g), blue(b);
        const uint32_t bytes = m_info.bpp / 8;
        const uint32_t width = static_cast<uint32_t>(m_info.width);
        std::vector<uint8_t> row(DibStride(width, m_info.bpp));
        for (int32_t y = 0; y < m_height; ++y) {
            Cancel();
            if (!m_s.ReadAll(row.data(), row.size()))
                return;
            uint8_t* out = m_image.Row(y);
            for (uint32_t x = 0; x < width; ++x, out += 3) {
                const uint8_t* p = &row[x * bytes];
                uint32_t v = bytes == 2 ? ReadLe16(p) : ReadLe32(p);
                out[0] = blue.Of(v);
                out[1] = green.Of(v);
                out[2] = red.Of(v);
            }
        }
    }

    void Rle(bool four)
    {
        int32_t x = 0, y = 0;
        const int32_t width = static_cast<int32_t>(m_info.width);
        uint8_t absolute[256];
        for (;;) {
            int n = m_s.GetByte(), c = m_s.GetByte();
            if (n < 0 || c < 0 || y >= m_height)
                return;
            if (n > 0) {
                for (int i = 0; i < n && x < width; ++i, ++x)
                    m_image.PutIndex(x, y,
                                     static_cast<uint8_t>(four ? (i & 1 ? c & 15 : c >> 4) : c));
                continue;
            }
            if (c == 0) {
                x = 0;
                ++y;
                Cancel();
            } else if (c == 1) {
                return;
            } else if (c == 2) {
                int dx = m_s.GetByte(), dy = m_s.GetByte();
                if (dx < 0 || dy < 0)
                    return;
                x += dx;
                y += dy;
            } else {
                size_t bytes = four ? (c + 1) / 2 : c;
                if (!m_s.ReadAll(absolute, bytes + (bytes & 1)))
                    return;
                for (int i = 0; i < c && x < width; ++i, ++x) {
                    uint8_t v =
                        four ? (i & 1 ? absolute[i / 2] & 15 : absolute[i / 2] >> 4) : absolute[i];
                    m_image.PutIndex(x, y, v);
                }
            }
        }
    }

    void Flip()
    {
        const uint32_t stride = m_image.Stride();
        uint8_t* temp = static_cast<uint8_t*>(malloc(stride));
        if (!temp)
            throw DecodeFailure{ DecodeStatus::kTooLarge, "can't allocate memory" };
        for (int32_t a = 0, b = m_height - 1; a < b; ++a, --b) {
            memcpy(temp, m_image.Row(a), stride);
            memcpy(m_image.Row(a), m_image.Row(b), stride);
            memcpy(m_image.Row(b), temp, stride);
        }
        free(temp);
    }

    CImageObject& m_image;
    CImageStream& m_s;
    const BmpInfo& m_info;
    int32_t m_height;
};

}  // namespace

bool CImageObjectBMP::Decode(CImageStream& s)
{
    try {
        const int64_t start = s.Tell();
        uint8_t file[14];
        const bool framed = s.ReadAll(file, sizeof file) && file[0] == 'B' && file[1] == 'M';
        if (!framed)
            s.Seek(start, CImageStream::kSet);
        BmpInfo info = ReadInfo(s);
        CheckInfo(info);
        const int64_t height = info.height < 0 ? -info.height : info.height;
        const uint64_t pixels = static_cast<uint64_t>(info.width) * static_cast<uint64_t>(height);
        const bool rle = info.compression == BI_RLE8 || info.compression == BI_RLE4;
        // Uncompressed rows need their bytes; run-length data need at least one
        // byte per 16384 pixels (a delta escape skips at most 255 by 255).
        const uint64_t bytes =
            static_cast<uint64_t>(DibStride(static_cast<uint32_t>(info.width), info.bpp)) * height;
        if (rle ? !PlausiblePixels(s, pixels, 16384)
                : bytes / 64 > static_cast<uint64_t>(s.Remaining()))
            throw DecodeFailure{ DecodeStatus::kCorrupt, "Error reading BMP info" };
        if (!info.os2) {
            Settings().xDpi = DpiFromPelsPerMeter(info.xPpm);
            Settings().yDpi = DpiFromPelsPerMeter(info.yPpm);
        }
        if (Escape()) {
            SetSizeOnly(static_cast<int32_t>(info.width), static_cast<int32_t>(height));
            throw DecodeFailure{ DecodeStatus::kSizeOnly, "output dimensions returned" };
        }
        if (!Create(static_cast<uint32_t>(info.width), static_cast<uint32_t>(height),
                    info.bpp <= 8 ? info.bpp : 24, kImageBMP))
            return false;  // Create's own status and text
        BmpReader reader(*this, s, info);
        reader.Palette();
        const uint32_t offBits = framed ? ReadLe32(file + 10) : 0;
        if (framed && offBits >= 14 + info.headerSize && offBits < s.Size())
            s.Seek(start + offBits, CImageStream::kSet);
        reader.Rows();
        return true;
    } catch (const DecodeFailure& failure) {
        return Fail(failure);
    }
}
