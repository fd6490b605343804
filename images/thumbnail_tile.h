// A thumbnail's pixels: the fitted picture on its white square tile, as the
// rows of a 24-bit bottom-up DIB. Portable, so the host tree tests it and the
// benchmarks time exactly what the viewer stores.
#pragma once
#include "images/codec/image_object.h"
#include "images/thumbnail_fit.h"

#include <cstddef>
#include <cstdint>

// Bytes of one tile of the given edge.
size_t TileBytes(uint32_t edge);

// Writes TileBytes(edge) bytes to rows: white, with the picture's top-left
// fit.width by fit.height pixels drawn 1:1 at the fit's place (a picture
// smaller than the fit, as after a refused rescale, draws what it has).
void ComposeTile(const CImageObject& picture, const ThumbnailFit& fit, uint32_t edge,
                 uint8_t* rows);
