// PCX: run-length coded planes; one plane of 1, 2, 4 or 8 bits, up to four
// planes of 1 bit, or three or four planes of 8 bits.
#include <cstring>
#include <vector>

#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"

namespace {

struct PcxHeader {
    uint8_t raw[128];
    uint32_t bits, planes, bytesPerLine, width, height;
};

PcxHeader ReadHeader(CImageStream& s)
{
    PcxHeader h;
    if (!s.ReadAll(h.raw, sizeof h.raw))
        throw DecodeFailure{ DecodeStatus::kCorrupt, "Can't read PCX image" };
    if (h.raw[0] != 10)
        throw DecodeFailure{ DecodeStatus::kUnsupported, "Error: Not a PCX file" };
    if (h.raw[2] != 1)
        throw DecodeFailure{ DecodeStatus::kUnsupported, "PCX file has unknown encoding scheme" };
    h.bits = h.raw[3];
    h.planes = h.raw[65];
    h.bytesPerLine = ReadLe16(h.raw + 66);
    if (h.planes > 4)
        throw DecodeFailure{ DecodeStatus::kUnsupported,
                             "Can't handle image with more than 4 planes" };
    if (h.planes > 1 && h.bits != 1 && h.bits != 8)
        throw DecodeFailure{ DecodeStatus::kUnsupported,
                             "Can't handle packed pixels with more than 1 plane." };
    if (h.bits != 1 && h.bits != 2 && h.bits != 4 && h.bits != 8)
        throw DecodeFailure{ DecodeStatus::kUnsupported, "Can't handle more than 1 bit per pixel" };
    if (h.bits == 8 && h.planes == 2)
        throw DecodeFailure{ DecodeStatus::kUnsupported, "Can't handle more than 4 planes" };
    const int32_t xmin = ReadLe16(h.raw + 4), ymin = ReadLe16(h.raw + 6);
    const int32_t xmax = ReadLe16(h.raw + 8), ymax = ReadLe16(h.raw + 10);
    if (h.planes == 0 || xmax < xmin || ymax < ymin)
        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted PCX" };
    h.width = static_cast<uint32_t>(xmax - xmin + 1);
    h.height = static_cast<uint32_t>(ymax - ymin + 1);
    if (static_cast<uint64_t>(h.bytesPerLine) * 8 < static_cast<uint64_t>(h.width) * h.bits)
        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted PCX" };
    return h;
}

uint32_t DepthOf(const PcxHeader& h)
{
    if (h.bits == 8 && h.planes >= 3)
        return 24;
    if (h.planes > 1)
        return 4;
    return h.bits;
}

// Run-length decoding of one scan line of every plane; runs may continue
// into the next line.
class PcxRuns {
public:
    explicit PcxRuns(CImageStream& s) : m_s(s) {}
    void Line(uint8_t* out, size_t n, bool lastLine)
    {
        for (size_t i = 0; i < n;) {
            if (m_run == 0) {
                int b = m_s.GetByte();
                if (b < 0)
                    throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted PCX" };
                if (b > 191) {
                    m_run = b & 63;
                    int v = m_s.GetByte();
                    if (v < 0)
                        throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted PCX" };
                    m_value = static_cast<uint8_t>(v);
                } else {
                    m_run = 1;
                    m_value = static_cast<uint8_t>(b);
                }
                continue;
            }
            size_t take = m_run < n - i ? m_run : n - i;
            memset(out + i, m_value, take);
            i += take;
            m_run -= static_cast<uint32_t>(take);
        }
        if (lastLine && m_run > 0)
            throw DecodeFailure{ DecodeStatus::kCorrupt, "repeat count spans end of image" };
    }

private:
    CImageStream& m_s;
    uint32_t m_run = 0;
    uint8_t m_value = 0;
};

void StoreLine(CImageObject& image, const PcxHeader& h, const uint8_t* line, int32_t y)
{
    uint8_t* out = image.Row(y);
    const uint32_t bpl = h.bytesPerLine, w = h.width;
    if (h.planes == 1 && h.bits != 2) {
        memcpy(out, line, (static_cast<size_t>(w) * h.bits + 7) / 8);
    } else if (h.planes == 1) {
        for (uint32_t x = 0; x < w; ++x)
            image.PutIndex(x, y, (line[x / 4] >> (6 - 2 * (x % 4))) & 3);
    } else if (h.bits == 1) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t index = 0;
            for (uint32_t p = 0; p < h.planes; ++p)
                index |= ((line[p * bpl + x / 8] >> (7 - x % 8)) & 1) << p;
            image.PutIndex(x, y, index);
        }
    } else {
        uint8_t* alpha = image.AlphaMask();
        for (uint32_t x = 0; x < w; ++x) {
            out[3 * x] = line[2 * bpl + x];
            out[3 * x + 1] = line[bpl + x];
            out[3 * x + 2] = line[x];
            if (alpha && h.planes == 4)
                alpha[static_cast<size_t>(y) * w + x] = line[3 * bpl + x];
        }
    }
}

void ReadPalette(CImageObject& image, CImageStream& s, const PcxHeader& h)
{
    if (image.Bpp() == 24)
        return;
    if (h.bits == 1 && h.planes == 1) {
        image.SetPaletteColor(0, 0, 0, 0);
        image.SetPaletteColor(1, 255, 255, 255);
    } else if (h.bits == 8) {
        uint8_t map[769];
        if (!s.Seek(-769, CImageStream::kEnd) || !s.ReadAll(map, sizeof map))
            throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted PCX" };
        if (map[0] != 12)
            throw DecodeFailure{ DecodeStatus::kCorrupt, "bad color map signature" };
        for (int i = 0; i < 256; ++i)
            image.SetPaletteColor(static_cast<uint8_t>(i), map[1 + 3 * i], map[2 + 3 * i],
                                  map[3 + 3 * i]);
    } else {
        for (int i = 0; i < 16; ++i)
            image.SetPaletteColor(static_cast<uint8_t>(i), h.raw[16 + 3 * i], h.raw[17 + 3 * i],
                                  h.raw[18 + 3 * i]);
    }
}

}  // namespace

bool CImageObjectPCX::Decode(CImageStream& s)
{
    try {
        PcxHeader h = ReadHeader(s);
        const uint64_t lineBytes = static_cast<uint64_t>(h.bytesPerLine) * h.planes;
        // Each coded byte pair yields at most 63 bytes.
        if (!PlausiblePixels(s, lineBytes * h.height, 63))
            throw DecodeFailure{ DecodeStatus::kCorrupt, "corrupted PCX" };
        Settings().xDpi = ReadLe16(h.raw + 12);
        Settings().yDpi = ReadLe16(h.raw + 14);
        if (!Create(h.width, h.height, DepthOf(h), kImagePCX))
            throw DecodeFailure{ Status(), "Can't read PCX image" };
        if (h.bits == 8 && h.planes == 4 && !AllocateAlpha())
            throw DecodeFailure{ DecodeStatus::kTooLarge, "Can't read PCX image" };
        const int64_t dataStart = s.Tell();
        ReadPalette(*this, s, h);
        s.Seek(dataStart, CImageStream::kSet);
        std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
        PcxRuns runs(s);
        for (uint32_t row = 0; row < h.height; ++row) {
            if (Escape())
                throw DecodeFailure{ DecodeStatus::kCancelled, "Cancelled" };
            runs.Line(line.data(), line.size(), row + 1 == h.height);
            StoreLine(*this, h, line.data(), static_cast<int32_t>(h.height - 1 - row));
        }
        return true;
    } catch (const DecodeFailure& failure) {
        return Fail(failure);
    }
}
