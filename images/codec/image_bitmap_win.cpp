// The picture as a GDI bitmap. The pixel block already is a BITMAPINFO
// followed by its rows, so it goes to the DIB functions as it stands.
#include "image_object.h"

#include <cstring>

HBITMAP CImageObject::ToBitmap(HDC deviceContext) {
  if (!block_) return nullptr;
  const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(block_);
  if (deviceContext)
    return CreateDIBitmap(deviceContext, &info->bmiHeader, CBM_INIT, pixels_, info, DIB_RGB_COLORS);
  HDC memory = CreateCompatibleDC(nullptr);
  if (!memory) return nullptr;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(memory, info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section && bits) memcpy(bits, pixels_, header_.biSizeImage);
  DeleteDC(memory);
  return section;
}
