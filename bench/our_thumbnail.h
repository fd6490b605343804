// The Image browser's thumbnail path on the host: the file read and decoded
// by the image object (large JPEGs shrunk on load towards the tile), fitted,
// rescaled and drawn on a white tile.
#pragma once

#include <cstdint>

#include "bench/bench_tile.h"

// Seconds spent in each stage, added up over the calls that receive it.
struct StageSeconds {
  double decode = 0;
  double rescale = 0;
  double tile = 0;
};

Drawn OurThumbnail(const char* path, Tile& tile, StageSeconds& stages);
