// Where a picture goes on its square thumbnail tile: portable, so the host
// tree tests the arithmetic directly.
#pragma once
#include <cstdint>

struct ThumbnailFit {
    bool scale;      // whether the picture must be scaled to (width, height)
    uint32_t width;  // size drawn on the tile
    uint32_t height;
    uint32_t x;  // top-left corner on the tile; odd margins leave the
    uint32_t y;  // extra pixel on the right or at the bottom
};

// Pictures larger than the tile shrink to fit it, keeping their aspect; a
// side that would round to nothing keeps one pixel, so the picture still
// shows as a line.
ThumbnailFit FitThumbnail(uint32_t width, uint32_t height, uint32_t edge);
