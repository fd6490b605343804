#include "tests/host/test_util.h"

#include <cstdio>
#include <fstream>
#include <iterator>

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string FixturePath(const std::string& name)
{
    return std::string(ZEMA_FIXTURES) + "/" + name;
}
std::string TempPath(const std::string& name)
{
    return std::string(ZEMA_TEST_TEMP) + "/" + name;
}

std::vector<uint8_t> TopDownRgb(const CImageObject& image)
{
    std::vector<uint8_t> rgb;
    for (int32_t y = image.Height() - 1; y >= 0; --y)
        for (int32_t x = 0; x < image.Width(); ++x) {
            RGBQUAD c = image.PixelColor(x, y);
            rgb.push_back(c.rgbRed);
            rgb.push_back(c.rgbGreen);
            rgb.push_back(c.rgbBlue);
        }
    return rgb;
}

bool DecodeBytes(CImageObject& image, const std::vector<uint8_t>& bytes, uint32_t type)
{
    CMemoryStream stream(bytes.data(), bytes.size());
    return image.Decode(stream, type);
}

void GifWriter::Word(uint16_t v)
{
    m_bytes.push_back(static_cast<uint8_t>(v));
    m_bytes.push_back(static_cast<uint8_t>(v >> 8));
}

// Colour i of a test table: a ramp that makes every index distinguishable.
void GifWriter::Table(uint32_t colors)
{
    for (uint32_t i = 0; i < colors; ++i) {
        m_bytes.push_back(static_cast<uint8_t>(i * 7));
        m_bytes.push_back(static_cast<uint8_t>(255 - i));
        m_bytes.push_back(static_cast<uint8_t>(i * 3 + 1));
    }
}

static uint8_t SizeBits(uint32_t colors)
{
    uint8_t bits = 0;
    while ((2u << bits) < colors)
        ++bits;
    return bits;
}

GifWriter& GifWriter::Header(uint16_t width, uint16_t height, uint32_t globalColors)
{
    for (char c : std::string("GIF89a"))
        m_bytes.push_back(static_cast<uint8_t>(c));
    Word(width);
    Word(height);
    m_bytes.push_back(globalColors ? static_cast<uint8_t>(0x80 | SizeBits(globalColors)) : 0);
    m_bytes.push_back(0);
    m_bytes.push_back(0);
    if (globalColors)
        Table(2u << SizeBits(globalColors));
    return *this;
}

GifWriter& GifWriter::Control(uint8_t flags, uint16_t delay, uint8_t transparent, uint8_t size)
{
    m_bytes.insert(m_bytes.end(), { 0x21, 0xF9, size, flags });
    Word(delay);
    m_bytes.push_back(transparent);
    m_bytes.push_back(0);
    return *this;
}

GifWriter& GifWriter::Comment(const std::string& text)
{
    m_bytes.insert(m_bytes.end(), { 0x21, 0xFE, static_cast<uint8_t>(text.size()) });
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    m_bytes.push_back(0);
    return *this;
}

// Image data as literal codes only, with a clear code before the table would
// widen the codes: valid LZW that any decoder must read back exactly.
GifWriter& GifWriter::Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                            const std::vector<uint8_t>& indices, bool interlaced, int minCodeSize,
                            uint32_t localColors)
{
    m_bytes.push_back(0x2C);
    Word(left);
    Word(top);
    Word(width);
    Word(height);
    uint8_t flags = interlaced ? 0x40 : 0;
    if (localColors)
        flags |= 0x80 | SizeBits(localColors);
    m_bytes.push_back(flags);
    if (localColors)
        Table(2u << SizeBits(localColors));
    m_bytes.push_back(static_cast<uint8_t>(minCodeSize));
    std::vector<uint8_t> data;
    uint32_t acc = 0;
    int bits = 0;
    const int clear = 1 << minCodeSize, codeWidth = minCodeSize + 1;
    auto put = [&](int code) {
        acc |= static_cast<uint32_t>(code) << bits;
        bits += codeWidth;
        while (bits >= 8) {
            data.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    };
    const int run = clear - 2 > 0 ? clear - 2 : 1;
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % run == 0)
            put(clear);
        put(indices[i] & (clear - 1));
    }
    put(clear + 1);
    if (bits)
        data.push_back(static_cast<uint8_t>(acc));
    for (size_t i = 0; i < data.size(); i += 255) {
        size_t n = data.size() - i < 255 ? data.size() - i : 255;
        m_bytes.push_back(static_cast<uint8_t>(n));
        m_bytes.insert(m_bytes.end(), data.begin() + i, data.begin() + i + n);
    }
    m_bytes.push_back(0);
    return *this;
}

GifWriter& GifWriter::Raw(const std::vector<uint8_t>& bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

GifWriter& GifWriter::Trailer()
{
    m_bytes.push_back(0x3B);
    return *this;
}
