// Targa: colour-mapped, true-colour and grey pictures, plain or run-length
// coded, from either origin.
#include <cstring>
#include <vector>

#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"

namespace {

struct TgaHeader {
    uint8_t idLength, mapType, imageType, mapEntryBits, depth, descriptor;
    uint16_t mapFirst, mapLength, width, height;
};

TgaHeader ReadHeader(CImageStream& s)
{
    uint8_t b[18];
    if (!s.ReadAll(b, sizeof b))
        throw DecodeFailure{ DecodeStatus::kUnsupported, "Not a TGA" };
    TgaHeader h;
    h.idLength = b[0];
    h.mapType = b[1];
    h.imageType = b[2];
    h.mapFirst = ReadLe16(b + 3);
    h.mapLength = ReadLe16(b + 5);
    h.mapEntryBits = b[7];
    h.width = ReadLe16(b + 12);
    h.height = ReadLe16(b + 14);
    h.depth = b[16];
    h.descriptor = b[17];
    const uint8_t base = h.imageType & ~8;
    if (base < 1 || base > 3 || (h.imageType & ~11))
        throw DecodeFailure{ DecodeStatus::kUnsupported, "Unknown TGA image type" };
    const bool mapped = base == 1, grey = base == 3;
    bool depthOk = mapped || grey
                       ? h.depth == 8
                       : h.depth == 15 || h.depth == 16 || h.depth == 24 || h.depth == 32;
    if (h.width == 0 || h.height == 0 || !depthOk || h.mapType > 1 || (mapped && h.mapType != 1) ||
        (h.mapType && (h.mapFirst + h.mapLength > 256 || h.mapEntryBits == 0)))
        throw DecodeFailure{ DecodeStatus::kCorrupt, "bad TGA header" };
    return h;
}

// 15- and 16-bit pixels are x RRRRR GGGGG BBBBB, little-endian.
void Expand555(uint16_t v, uint8_t* bgr)
{
    bgr[0] = static_cast<uint8_t>(((v & 31) * 255 + 15) / 31);
    bgr[1] = static_cast<uint8_t>((((v >> 5) & 31) * 255 + 15) / 31);
    bgr[2] = static_cast<uint8_t>((((v >> 10) & 31) * 255 + 15) / 31);
}

class TgaReader {
public:
    TgaReader(CImageObject& image, CImageStream& s, const TgaHeader& h)
        : m_image(image), m_s(s), m_h(h), m_bytes((h.depth + 7) / 8)
    {}

    void ColorMap()
    {
        if (!m_h.mapType)
            return;
        const uint32_t entry = (m_h.mapEntryBits + 7) / 8;
        std::vector<uint8_t> raw(static_cast<size_t>(entry) * m_h.mapLength);
        if (!m_s.ReadAll(raw.data(), raw.size()))
            throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted TGA" };
        if (m_image.Bpp() != 8)
            return;
        for (uint32_t i = 0; i < m_h.mapLength; ++i) {
            uint8_t bgr[3] = { 0, 0, 0 };
            const uint8_t* p = &raw[i * entry];
            if (entry == 2)
                Expand555(ReadLe16(p), bgr);
            else if (entry >= 3)
                memcpy(bgr, p, 3);
            m_image.SetPaletteColor(static_cast<uint8_t>(m_h.mapFirst + i), bgr[2], bgr[1], bgr[0]);
        }
    }

    void Pixels()
    {
        const bool rle = m_h.imageType & 8;
        const uint32_t w = m_h.width, hgt = m_h.height;
        std::vector<uint8_t> line(static_cast<size_t>(w) * m_bytes);
        uint8_t pixel[4] = { 0, 0, 0, 0 };
        uint32_t run = 0;
        bool repeat = false;
        for (uint32_t row = 0; row < hgt; ++row) {
            if (m_image.Escape())
                throw DecodeFailure{ DecodeStatus::kCancelled, "Cancelled" };
            if (!rle) {
                if (!m_s.ReadAll(line.data(), line.size()))
                    throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted TGA" };
            } else {
                for (uint32_t x = 0; x < w; ++x) {
                    if (run == 0) {
                        int packet = m_s.GetByte();
                        if (packet < 0)
                            throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted TGA" };
                        run = (packet & 0x7F) + 1;
                        repeat = packet & 0x80;
                        if (repeat && !m_s.ReadAll(pixel, m_bytes))
                            throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted TGA" };
                    }
                    if (!repeat && !m_s.ReadAll(pixel, m_bytes))
                        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted TGA" };
                    memcpy(&line[static_cast<size_t>(x) * m_bytes], pixel, m_bytes);
                    --run;
                }
            }
            Store(row, line.data());
        }
    }

private:
    void Store(uint32_t row, const uint8_t* line)
    {
        const uint32_t w = m_h.width;
        const bool topDown = m_h.descriptor & 0x20, rightToLeft = m_h.descriptor & 0x10;
        const int32_t y = static_cast<int32_t>(topDown ? m_h.height - 1 - row : row);
        uint8_t* out = m_image.Row(y);
        uint8_t* alpha = m_image.AlphaMask();
        for (uint32_t i = 0; i < w; ++i) {
            const uint32_t x = rightToLeft ? w - 1 - i : i;
            const uint8_t* p = line + static_cast<size_t>(i) * m_bytes;
            switch (m_h.depth) {
            case 8:
                out[x] = p[0];
                break;
            case 15:
            case 16:
                Expand555(ReadLe16(p), out + 3 * x);
                break;
            default:
                memcpy(out + 3 * x, p, 3);
                if (alpha && m_bytes == 4)
                    alpha[static_cast<size_t>(y) * w + x] = p[3];
            }
        }
    }

    CImageObject& m_image;
    CImageStream& m_s;
    const TgaHeader& m_h;
    const uint32_t m_bytes;
};

}  // namespace

bool CImageObjectTGA::Decode(CImageStream& s)
{
    try {
        TgaHeader h = ReadHeader(s);
        s.Seek(h.idLength, CImageStream::kCurrent);
        const uint64_t pixels = static_cast<uint64_t>(h.width) * h.height;
        const uint32_t bytes = (h.depth + 7) / 8;
        // A raw row needs its bytes; a run packet covers at most 128 pixels.
        if (!PlausiblePixels(s, (h.imageType & 8) ? pixels / 128 : pixels * bytes, 1))
            throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted TGA" };
        if (!Create(h.width, h.height, h.depth == 8 ? 8 : 24, kImageTGA))
            throw DecodeFailure{ Status(), "TGA Create failed" };
        if ((h.imageType & ~8) == 3)
            SetGreyPalette();
        if (h.depth == 32 && !AllocateAlpha())
            throw DecodeFailure{ DecodeStatus::kTooLarge, "TGA Create failed" };
        TgaReader reader(*this, s, h);
        reader.ColorMap();
        reader.Pixels();
        return true;
    } catch (const DecodeFailure& failure) {
        return Fail(failure);
    }
}
