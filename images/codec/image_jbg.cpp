// JBIG through JBIG-KIT: single-plane bi-level images, the whole file at once.
extern "C" {
#include <jbig.h>
}

#include <cstring>
#include <vector>

#include "decode_util.h"
#include "image_decoders.h"

namespace {

uint32_t Be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

}  // namespace

bool CImageObjectJBG::Decode(CImageStream& s) {
  std::vector<uint8_t> data;
  if (!ReadRest(s, data)) {
    SetLastError("Problem while reading input file");
    return false;
  }
  // The header is read here first so that the sides are refused before the
  // library allocates its planes.
  if (data.size() < 20 || data[3] != 0) {
    SetLastError("Problem with input file");
    return false;
  }
  if (data[2] != 1) {
    SetLastError("cannot decode images with more than 1 plane");
    return false;
  }
  const uint32_t width = Be32(&data[4]), height = Be32(&data[8]);
  // Bi-level coding packs blank areas tightly, but not beyond 2^16 pixels
  // per byte of the file: more is a hostile size.
  if (width == 0 || height == 0 || !WithinMemoryBound(width, height, 1) ||
      static_cast<uint64_t>(width) * height > (static_cast<uint64_t>(data.size()) + 1) << 16) {
    SetLastError("Problem with input file");
    return false;
  }
  jbg_dec_state state;
  jbg_dec_init(&state);
  jbg_dec_maxsize(&state, width, height);
  size_t used = 0;
  const int rc = jbg_dec_in(&state, data.data(), data.size(), &used);
  if (rc != JBG_EOK || jbg_dec_getplanes(&state) != 1) {
    jbg_dec_free(&state);
    SetLastError(rc == JBG_ENOMEM ? "Can't allocate memory" : "Problem with input file");
    return false;
  }
  const unsigned long w = jbg_dec_getwidth(&state), h = jbg_dec_getheight(&state);
  const unsigned char* bits = jbg_dec_getimage(&state, 0);
  if (!bits || w == 0 || h == 0 || w > width || h > height || !Create(w, h, 1, kImageJBG)) {
    jbg_dec_free(&state);
    if (bits && w && h) SetLastError("Can't allocate memory");
    else SetLastError("Problem with input file");
    return false;
  }
  // A set bit is black.
  SetPaletteColor(0, 255, 255, 255);
  SetPaletteColor(1, 0, 0, 0);
  const size_t rowBytes = (w + 7) / 8;
  for (unsigned long y = 0; y < h; ++y) memcpy(Row(static_cast<int32_t>(h - 1 - y)), bits + rowBytes * y, rowBytes);
  jbg_dec_free(&state);
  return true;
}
