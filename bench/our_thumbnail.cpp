#include "bench/our_thumbnail.h"

#include <chrono>

#include "images/codec/image_object.h"
#include "images/thumbnail_fit.h"
#include "images/thumbnail_tile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

Drawn OurThumbnail(const char* path, Tile& tile, StageSeconds& stages) {
  Clock::time_point start = Clock::now();
  CImageObject picture;
  picture.Settings().jpegFitEdge = tile.edge;
  picture.Load(path, TypeFromExtension(path));
  stages.decode += Since(start);
  if (!picture.HasPixels()) return {};

  start = Clock::now();
  const ThumbnailFit fit = FitThumbnail(static_cast<uint32_t>(picture.SourceWidth()),
                                        static_cast<uint32_t>(picture.SourceHeight()), tile.edge);
  if (fit.scale) picture.Rescale(fit.width, fit.height, 3, nullptr);
  stages.rescale += Since(start);

  start = Clock::now();
  ComposeTile(picture, fit, tile.edge, tile.pixels.data());
  stages.tile += Since(start);
  return {fit.width, fit.height};
}
