#include "our_thumbnail.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "image_object.h"
#include "images/thumbnail_fit.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The picture's top-left fit.width by fit.height pixels at the fit's place,
// as the viewer's tile composition copies them: rows 1:1, palette entries
// looked up for pictures of 8 bits or fewer.
void Draw(const CImageObject& picture, const ThumbnailFit& fit, Tile& tile) {
  const uint32_t width = std::min<uint32_t>(fit.width, static_cast<uint32_t>(picture.Width()));
  const uint32_t height = std::min<uint32_t>(fit.height, static_cast<uint32_t>(picture.Height()));
  for (uint32_t y = 0; y < height; ++y) {
    const int32_t sourceRow = picture.Height() - 1 - static_cast<int32_t>(y);
    uint8_t* out = tile.RowFromTop(fit.y + y) + 3 * fit.x;
    if (picture.Bpp() == 24) {
      memcpy(out, picture.Row(sourceRow), 3 * static_cast<size_t>(width));
      continue;
    }
    for (uint32_t x = 0; x < width; ++x, out += 3) {
      const RGBQUAD c = picture.PixelColor(static_cast<int32_t>(x), sourceRow);
      out[0] = c.rgbBlue;
      out[1] = c.rgbGreen;
      out[2] = c.rgbRed;
    }
  }
}

}  // namespace

Drawn OurThumbnail(const char* path, Tile& tile, StageSeconds& stages) {
  Clock::time_point start = Clock::now();
  CImageObject picture;
  picture.Settings().jpegFitEdge = tile.edge;
  picture.Load(path, kImageUnknown);
  stages.decode += Since(start);
  if (!picture.HasPixels()) return {};

  start = Clock::now();
  const ThumbnailFit fit = FitThumbnail(static_cast<uint32_t>(picture.SourceWidth()),
                                        static_cast<uint32_t>(picture.SourceHeight()), tile.edge);
  if (fit.scale) picture.Rescale(fit.width, fit.height, 3, nullptr);
  stages.rescale += Since(start);

  start = Clock::now();
  Draw(picture, fit, tile);
  stages.tile += Since(start);
  return {fit.width, fit.height};
}
