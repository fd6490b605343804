#include "images/codec/gif_lzw.h"

#include <cstdlib>
#include <cstring>
#include <vector>

GifLzwReader::GifLzwReader()
{
    m_buffer = new uint8_t[kReadAhead];
    m_prefix = new uint16_t[kMaxCodes];
    m_suffix = new uint8_t[kMaxCodes];
    m_first = new uint8_t[kMaxCodes];
    m_length = new uint16_t[kMaxCodes];
    m_stack = new uint8_t[kMaxCodes];
}

GifLzwReader::~GifLzwReader()
{
    delete[] m_buffer;
    delete[] m_prefix;
    delete[] m_suffix;
    delete[] m_first;
    delete[] m_length;
    delete[] m_stack;
    free(m_line);
}

bool GifLzwReader::Refill()
{
    m_fill = static_cast<uint32_t>(m_stream->Read(m_buffer, 1, kReadAhead - 1));
    m_used = 0;
    return m_fill != 0;
}

int GifLzwReader::NextByte()
{
    if (m_dataEnded)
        return -1;
    if (m_blockLeft == 0) {
        if (m_used == m_fill && !Refill())
            return m_dataEnded = true, -1;
        m_blockLeft = m_buffer[m_used++];
        if (m_blockLeft == 0)
            return m_dataEnded = true, -1;
    }
    if (m_used == m_fill && !Refill())
        return m_dataEnded = true, -1;
    --m_blockLeft;
    return m_buffer[m_used++];
}

int GifLzwReader::NextCode()
{
    while (m_bitCount < m_width) {
        int b = NextByte();
        if (b < 0)
            return -1;
        m_bits |= static_cast<uint32_t>(b) << m_bitCount;
        m_bitCount += 8;
    }
    int code = static_cast<int>(m_bits & ((1u << m_width) - 1));
    m_bits >>= m_width;
    m_bitCount -= m_width;
    return code;
}

void GifLzwReader::ResetTable()
{
    m_width = m_minSize + 1;
    m_free = m_clear + 2;
}

// Lines go down the picture, or through the four interlace passes (rows
// 0, 8, 16...; 4, 12...; 2, 6...; 1, 3...). False once a line has no place.
bool GifLzwReader::FlushLine()
{
    if (m_linesDone >= m_height && !m_interlaced)
        return false;
    if (m_interlaced && m_pass > 3)
        return false;
    uint32_t top = m_interlaced ? m_row : m_linesDone;
    if (m_target) {
        uint8_t* dst = m_target->Row(static_cast<int32_t>(m_height - 1 - top));
        switch (m_target->Bpp()) {
        case 8:
            memcpy(dst, m_line, m_lineWidth);
            break;
        case 4:
            for (uint32_t x = 0; x < m_lineWidth; x += 2) {
                uint8_t hi = m_line[x] & 15, lo = x + 1 < m_lineWidth ? m_line[x + 1] & 15 : 0;
                dst[x >> 1] = static_cast<uint8_t>(hi << 4 | lo);
            }
            break;
        default:
            for (uint32_t x = 0; x < m_lineWidth; x += 8) {
                uint8_t b = 0;
                for (uint32_t k = 0; k < 8 && x + k < m_lineWidth; ++k)
                    b |= (m_line[x + k] & 1) << (7 - k);
                dst[x >> 3] = b;
            }
        }
    }
    ++m_linesDone;
    m_linePos = 0;
    if (m_interlaced) {
        m_row += m_step;
        while (m_row >= m_height && m_pass <= 3) {
            ++m_pass;
            if (m_pass >= 2)
                m_step /= 2;
            m_row = m_step / 2;
        }
    }
    return true;
}

// Writes a code's string to the line; false when the picture is complete.
bool GifLzwReader::EmitString(int code)
{
    uint32_t len = m_length[code];
    if (len <= m_lineWidth - m_linePos) {
        uint8_t* out = m_line + m_linePos + len;
        for (int c = code; len--; c = m_prefix[c])
            *--out = m_suffix[c];
        m_linePos += m_length[code];
        return m_linePos < m_lineWidth || FlushLine();
    }
    uint8_t* top = m_stack + len;
    for (int c = code; top > m_stack; c = m_prefix[c])
        *--top = m_suffix[c];
    for (uint32_t done = 0, n = m_length[code]; done < n;) {
        uint32_t room = m_lineWidth - m_linePos;
        uint32_t take = n - done < room ? n - done : room;
        memcpy(m_line + m_linePos, m_stack + done, take);
        m_linePos += take;
        done += take;
        if (m_linePos == m_lineWidth && !FlushLine())
            return false;
    }
    return true;
}

void GifLzwReader::DecodeFrame(CImageStream& stream, CImageObject* target, uint32_t width,
                               uint32_t height, bool interlaced)
{
    m_stream = &stream;
    m_fill = m_used = 0;
    m_blockLeft = 0;
    m_dataEnded = false;
    m_bits = 0;
    m_bitCount = 0;
    m_badCodes = 0;
    if (target && (!target->HasPixels() || static_cast<uint32_t>(target->Width()) != width ||
                   static_cast<uint32_t>(target->Height()) != height))
        target = nullptr;
    m_target = target;
    m_height = height;
    m_interlaced = interlaced;
    m_row = 0;
    m_step = 8;
    m_pass = 0;
    m_linesDone = 0;
    m_linePos = 0;

    int s = -1;
    if (m_used < m_fill || Refill())
        s = m_buffer[m_used++];
    if (s < 2 || s > 9 || width == 0 || height == 0)
        return;
    if (width > m_lineWidth || !m_line) {
        free(m_line);
        m_line = static_cast<uint8_t*>(calloc(width, 1));
        if (!m_line)
            return;
    } else {
        memset(m_line, 0, width);
    }
    m_lineWidth = width;

    m_minSize = s;
    m_clear = 1 << s;
    const int end = m_clear + 1;
    for (int i = 0; i < m_clear; ++i) {
        m_prefix[i] = 0;
        m_suffix[i] = m_first[i] = static_cast<uint8_t>(i);
        m_length[i] = 1;
    }
    ResetTable();
    bool fresh = true;  // the next code follows a clear (or starts the data)
    int prev = 0;
    for (;;) {
        int code = NextCode();
        if (code < 0 || code == end)
            break;
        if (code == m_clear) {
            ResetTable();
            fresh = true;
            continue;
        }
        if (fresh) {
            if (code >= m_free)
                code = 0;
            fresh = false;
            prev = code;
            if (!EmitString(code))
                return;
            continue;
        }
        int grown;
        uint8_t firstChar;
        if (code < m_free) {
            grown = code;
            firstChar = m_first[code];
        } else {
            if (code > m_free)
                ++m_badCodes;
            grown = -1;
            firstChar = m_first[prev];
        }
        if (m_free < kMaxCodes) {
            m_prefix[m_free] = static_cast<uint16_t>(prev);
            m_suffix[m_free] = firstChar;
            m_first[m_free] = m_first[prev];
            m_length[m_free] = static_cast<uint16_t>(m_length[prev] + 1);
            if (grown < 0)
                grown = m_free;
            ++m_free;
            if (m_free == (1 << m_width) && m_width < 12)
                ++m_width;
        } else if (grown < 0) {
            grown = prev;
        }
        prev = grown;
        if (!EmitString(grown))
            return;
    }
    if (m_linePos > 0)
        FlushLine();
}
