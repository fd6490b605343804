#include "reports/png_encoder.h"

#include <zlib.h>

#include <vector>

namespace {

constexpr uint64_t kLargestPixelBytes = 64u << 20;

void AppendBigEndian(uint32_t value, std::string& out)
{
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

// Length, type, data and the CRC of type and data.
void AppendChunk(const char* type, const uint8_t* data, size_t size, std::string& out)
{
    AppendBigEndian(static_cast<uint32_t>(size), out);
    const size_t typeAt = out.size();
    out.append(type, 4);
    if (size)
        out.append(reinterpret_cast<const char*>(data), size);
    const uLong crc =
        crc32(0L, reinterpret_cast<const Bytef*>(out.data() + typeAt), static_cast<uInt>(size + 4));
    AppendBigEndian(static_cast<uint32_t>(crc), out);
}

// Each row behind its filter byte: Sub, which suits the smooth runs of a
// scaled picture on its white tile.
std::vector<uint8_t> FilteredRows(const uint8_t* rows, uint32_t width, uint32_t height,
                                  size_t stride, bool bottomUp)
{
    const size_t rowBytes = size_t(width) * 3;
    std::vector<uint8_t> filtered((rowBytes + 1) * height);
    uint8_t* out = filtered.data();
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = rows + stride * (bottomUp ? height - 1 - y : y);
        *out++ = 1;
        for (size_t x = 0; x < rowBytes; x += 3) {
            // BGR to RGB, less the pixel to the left.
            for (size_t c = 0; c < 3; ++c) {
                const uint8_t value = in[x + 2 - c];
                const uint8_t left = x ? in[x - 3 + 2 - c] : 0;
                *out++ = static_cast<uint8_t>(value - left);
            }
        }
    }
    return filtered;
}

}  // namespace

std::string EncodePng(const uint8_t* rows, uint32_t width, uint32_t height, size_t stride,
                      bool bottomUp)
{
    if (!rows || width == 0 || height == 0 || stride / 3 < width ||
        uint64_t(stride) * height > kLargestPixelBytes)
        return std::string();
    const std::vector<uint8_t> filtered = FilteredRows(rows, width, height, stride, bottomUp);
    uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, filtered.data(), static_cast<uLong>(filtered.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return std::string();

    std::string png("\x89PNG\r\n\x1A\n", 8);
    uint8_t header[13] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        header[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    header[8] = 8;  // bits per sample
    header[9] = 2;  // RGB; compression, filter and interlace methods stay 0
    AppendChunk("IHDR", header, sizeof header, png);
    AppendChunk("IDAT", packed.data(), packedSize, png);
    AppendChunk("IEND", nullptr, 0, png);
    return png;
}
