// A PNG of a thumbnail's pixels, for the contact sheet's data URIs: the
// codec reads pictures and writes none, and a PNG needs only zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Rows of blue-green-red triples as a 24-bit DIB keeps them, stride bytes
// apart, the bottom row first when bottomUp. An 8-bit RGB PNG; "" when the
// sizes do not fit (zero, a stride short of a row, over 64 MiB of pixels)
// or zlib fails.
std::string EncodePng(const uint8_t* rows, uint32_t width, uint32_t height, size_t stride,
                      bool bottomUp);
