// The picture as a GDI bitmap. The pixel block already is a BITMAPINFO
// followed by its rows, so it goes to the DIB functions as it stands.
#include "images/codec/image_object.h"

#include <cstring>

HBITMAP CImageObject::ToBitmap(HDC deviceContext)
{
    if (!m_block)
        return nullptr;
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(m_block);
    if (deviceContext)
        return CreateDIBitmap(deviceContext, &info->bmiHeader, CBM_INIT, m_pixels, info,
                              DIB_RGB_COLORS);
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory)
        return nullptr;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(memory, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section && bits)
        memcpy(bits, m_pixels, m_header.biSizeImage);
    DeleteDC(memory);
    return section;
}
