// Small helpers the own-code decoders share for reading untrusted bytes.
#pragma once

#include <cstdint>

#include "images/codec/image_stream.h"

inline uint16_t ReadLe16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t ReadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Compressed data can describe more pixels than it holds bytes, but not
// without bound: a header claiming more than ratio pixels per remaining byte
// is hostile or damaged, and is refused before any picture is made.
inline bool PlausiblePixels(CImageStream& stream, uint64_t pixels, uint64_t ratio)
{
    uint64_t remaining = static_cast<uint64_t>(stream.Remaining());
    return pixels <= (remaining + 1) * ratio;
}

// A sample of `precision` bits (1 to 32, unsigned) on the 8-bit scale,
// rounded, so that full scale stays full scale whatever the precision.
inline uint8_t SampleTo8(uint32_t v, int precision)
{
    if (precision == 8)
        return static_cast<uint8_t>(v);
    const uint64_t top = precision >= 32 ? 0xFFFFFFFFull : (1ull << precision) - 1;
    const uint64_t u = v < top ? v : top;
    return static_cast<uint8_t>((u * 255 + top / 2) / top);
}

inline int32_t DpiFromPelsPerMeter(int32_t ppm)
{
    return static_cast<int32_t>(ppm * 0.0254 + (ppm >= 0 ? 0.5 : -0.5));
}

#include <vector>

// The library decoders that want their input whole: the rest of the stream,
// or false when it cannot be read or exceeds the limit.
inline bool ReadRest(CImageStream& stream, std::vector<uint8_t>& out, uint64_t limit = 1ull << 30)
{
    int64_t remaining = stream.Remaining();
    if (remaining < 0 || static_cast<uint64_t>(remaining) > limit)
        return false;
    out.resize(static_cast<size_t>(remaining));
    return stream.ReadAll(out.data(), out.size());
}

// Library messages reach the last error cut to what it holds.
inline void CopyMessage(char* to, size_t size, const char* text)
{
    size_t n = 0;
    for (; text && text[n] && n + 1 < size; ++n)
        to[n] = text[n];
    to[n] = 0;
}
