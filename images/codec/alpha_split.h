// Blue-green-red-alpha rows, as libraries and icons deliver them, parted into
// a picture's colour row and its row of the alpha mask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Four pixels a step: each pixel's colour goes as one four-byte store whose
// last byte the next pixel overwrites (so a group stops short of the row's
// last pixel); unrolled, the compilers merge the four alpha stores into one.
// A group is read whole before anything is written, so the colour row may be
// the input row itself: the colour then closes up in place. Inline, so that
// each decoder's row loop gets a copy fitted to it.
inline void SplitAlphaRow(const uint8_t* in, uint8_t* colour, uint8_t* alpha, size_t width)
{
    size_t x = 0;
    for (; x + 5 <= width; x += 4, in += 16, colour += 12) {
        uint32_t pixels[4];
        memcpy(pixels, in, 16);
        const uint8_t a0 = in[3], a1 = in[7], a2 = in[11], a3 = in[15];
        memcpy(colour, &pixels[0], 4);
        memcpy(colour + 3, &pixels[1], 4);
        memcpy(colour + 6, &pixels[2], 4);
        memcpy(colour + 9, &pixels[3], 4);
        alpha[x] = a0;
        alpha[x + 1] = a1;
        alpha[x + 2] = a2;
        alpha[x + 3] = a3;
    }
    for (; x < width; ++x, in += 4, colour += 3) {
        const uint8_t blue = in[0], green = in[1], red = in[2];
        alpha[x] = in[3];
        colour[0] = blue;
        colour[1] = green;
        colour[2] = red;
    }
}
