// Wireless bitmaps: type 0 only, one byte per side, rows packed from the top.
#include "image_decoders.h"

bool CImageObjectWBMP::Decode(CImageStream& s) {
  uint8_t head[4];
  if (!s.ReadAll(head, sizeof head) || head[1] != 0) {
    SetLastError("Not a WBMP");
    return false;
  }
  if (head[0] != 0) {
    SetLastError("Unsupported WBMP type");
    return false;
  }
  const uint32_t width = head[2], height = head[3];
  const uint32_t bytes = (width + 7) / 8;
  if (width == 0 || height == 0 || s.Remaining() < static_cast<int64_t>(bytes) * height) {
    SetLastError("Corrupted WBMP");
    return false;
  }
  if (!Create(width, height, 1, kImageWBMP)) {
    SetLastError("WBMP Create failed");
    return false;
  }
  SetPaletteColor(0, 0, 0, 0);
  SetPaletteColor(1, 255, 255, 255);
  for (uint32_t y = 0; y < height; ++y)
    if (!s.ReadAll(Row(static_cast<int32_t>(height - 1 - y)), bytes)) {
      SetLastError("Corrupted WBMP");
      return false;
    }
  return true;
}
