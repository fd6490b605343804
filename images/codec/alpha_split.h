// Blue-green-red-alpha rows, as libraries and icons deliver them, parted into
// a picture's colour row and its row of the alpha mask.
#pragma once

#include <cstddef>
#include <cstdint>

// The colour row may be the input row itself: the colour then closes up in
// place.
void SplitAlphaRow(const uint8_t* bgra, uint8_t* colour, uint8_t* alpha, size_t width);
