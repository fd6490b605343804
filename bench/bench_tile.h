// A thumbnail tile as the Image browser shows one: edge by edge 24-bit
// pixels, white, rows bottom-up as in a DIB, with the picture placed where its
// fit says. libvips' thumbnail is drawn into one, so that it pays for a tile
// as the viewer's thumbnail function does for its own.
#pragma once

#include <cstdint>
#include <vector>

#include "images/thumbnail_tile.h"

struct Tile {
    explicit Tile(uint32_t edge)
        : edge(edge), stride(DibStride(edge, 24)), pixels(TileBytes(edge), 0xFF)
    {}

    // Blue, green, red of the tile's row y counted from the top.
    uint8_t* RowFromTop(uint32_t y)
    {
        return pixels.data() + static_cast<size_t>(stride) * (edge - 1 - y);
    }

    uint32_t edge;
    uint32_t stride;
    std::vector<uint8_t> pixels;
};

// What a thumbnailer drew: the picture's size on the tile, 0 by 0 when it
// could not read the file.
struct Drawn {
    uint32_t width = 0;
    uint32_t height = 0;
};
