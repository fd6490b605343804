// The GIF image-data reader: variable-width LZW over data blocks, read through
// a 16 KiB read-ahead buffer, delivering lines to a picture in plain or
// interlaced order.
#pragma once

#include <cstdint>

#include "images/codec/image_object.h"

class GifLzwReader {
public:
    GifLzwReader();
    ~GifLzwReader();
    GifLzwReader(const GifLzwReader&) = delete;
    GifLzwReader& operator=(const GifLzwReader&) = delete;

    // Decodes the image data at the stream's position (minimum code size
    // first) into the rows of target, counted from the top. A null target
    // still consumes the data the same way, so the stream ends up where a real
    // decode would leave it.
    void DecodeFrame(CImageStream& stream, CImageObject* target, uint32_t width, uint32_t height,
                     bool interlaced);
    bool BadCodes() const { return m_badCodes != 0; }
    // Read-ahead bytes fetched from the stream but not used by the decoding.
    int64_t Unused() const { return static_cast<int64_t>(m_fill - m_used); }

private:
    bool Refill();
    int NextByte();  // -1 at the end of the data
    int NextCode();  // -1 at the end of the data
    bool EmitString(int code);
    bool FlushLine();
    void ResetTable();

    enum { kReadAhead = 16384, kMaxCodes = 4096 };
    CImageStream* m_stream = nullptr;
    uint8_t* m_buffer;
    uint32_t m_fill = 0, m_used = 0;
    uint32_t m_blockLeft = 0;
    bool m_dataEnded = false;
    uint32_t m_bits = 0;
    int m_bitCount = 0;
    int m_minSize = 0, m_width = 0, m_clear = 0, m_free = 0;
    uint32_t m_badCodes = 0;
    uint16_t* m_prefix;
    uint8_t* m_suffix;
    uint8_t* m_first;
    uint16_t* m_length;
    uint8_t* m_stack;

    CImageObject* m_target = nullptr;
    uint8_t* m_line = nullptr;
    uint32_t m_lineWidth = 0, m_linePos = 0, m_height = 0;
    bool m_interlaced = false;
    uint32_t m_row = 0, m_step = 8, m_pass = 0, m_linesDone = 0;
};
