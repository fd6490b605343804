#include "images/codec/image_object.h"

#include <cstdlib>
#include <cstring>

// A picture whose width x height x bits / 256 passes this is refused before any
// allocation; the fuzz build lowers it so hostile sizes cannot exhaust the host.
#ifndef ZEMA_IMAGE_MAX_MEMORY
#define ZEMA_IMAGE_MAX_MEMORY 256000000
#endif

namespace {

int32_t NeverEscape(CImageObject*, intptr_t)
{
    return 0;
}

uint32_t NormalBpp(uint32_t bpp)
{
    if (bpp <= 1)
        return 1;
    if (bpp <= 4)
        return 4;
    if (bpp <= 8)
        return 8;
    return 24;
}

// The header's pels per metre from the decoders' dots per inch. Those come
// from the file's own fields, and a BMP's extreme pels per metre, rounded to
// inches and back, lands a little outside a LONG; so do a PNG's unitless
// counts, kept as they are. The header saturates instead.
LONG PelsPerMeter(int32_t dpi)
{
    const double ppm = dpi * 10000.0 / 254.0 + 0.5;
    if (ppm >= 2147483647.0)
        return INT32_MAX;
    if (ppm <= -2147483648.0)
        return INT32_MIN;
    return static_cast<LONG>(ppm);
}

}  // namespace

CImageObject::CImageObject()
{
    Defaults(kImageUnknown);
}

CImageObject::CImageObject(const char* path, uint32_t type)
{
    if (type == kImageUnknown)
        type = TypeFromExtension(path);
    Defaults(type);
    LoadAs(path, type);
}

CImageObject::~CImageObject()
{
    Release();
}

void CImageObject::Defaults(uint32_t type)
{
    memset(&m_header, 0, sizeof m_header);
    memset(&m_settings, 0, sizeof m_settings);
    m_settings.type = type;
    m_settings.jpegQuality = 90;
    m_settings.alphaMax = 255;
    m_settings.transparentIndex = -1;
    m_settings.enabled = true;
    m_settings.xDpi = m_settings.yDpi = 96;
    m_settings.escape = NeverEscape;
}

void CImageObject::SetLastError(const char* text)
{
    strncpy(m_settings.lastError, text ? text : "", sizeof m_settings.lastError - 1);
    m_settings.lastError[sizeof m_settings.lastError - 1] = 0;
}

bool CImageObject::Fail(const DecodeFailure& failure)
{
    m_settings.status = failure.status;
    if (failure.text)
        SetLastError(failure.text);
    return false;
}

void CImageObject::SetEscape(ImageEscapeCallback escape, intptr_t user)
{
    m_settings.escape = escape ? escape : NeverEscape;
    m_settings.escapeUser = user;
}

bool CImageObject::Escape()
{
    return m_settings.escape && m_settings.escape(this, m_settings.escapeUser) != 0;
}

size_t CImageObject::BlockSize() const
{
    if (!m_block)
        return 0;
    return sizeof(BITMAPINFOHEADER) + PaletteSize() +
           static_cast<size_t>(m_stride) * m_header.biHeight;
}

RGBQUAD* CImageObject::Palette() const
{
    return m_block ? reinterpret_cast<RGBQUAD*>(m_block + sizeof(BITMAPINFOHEADER)) : nullptr;
}

void CImageObject::SetSizeOnly(int32_t width, int32_t height)
{
    Release();
    m_header.biWidth = width;
    m_header.biHeight = height;
}

bool CImageObject::WithinMemoryBound(uint64_t width, uint64_t height, uint32_t bitsPerPixel)
{
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF || bitsPerPixel > (1u << 20))
        return false;
    const uint64_t pixels = width * height;
    // Past this no depth passes; below it the product cannot overflow.
    if (pixels > static_cast<uint64_t>(ZEMA_IMAGE_MAX_MEMORY) * 256)
        return false;
    return pixels * (bitsPerPixel ? bitsPerPixel : 1) / 256 <= ZEMA_IMAGE_MAX_MEMORY;
}

void* CImageObject::Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel, uint32_t type)
{
    Release();
    if (m_ghost)
        return nullptr;
    if (width == 0 || height == 0) {
        Fail({ DecodeStatus::kCorrupt,
               "CImageObject::Create : width and height must be greater than zero" });
        return nullptr;
    }
    uint32_t bpp = NormalBpp(bitsPerPixel);
    uint64_t weight = static_cast<uint64_t>(width) * height * bpp / 256;
    if (weight > ZEMA_IMAGE_MAX_MEMORY || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
        Fail({ DecodeStatus::kTooLarge, "IMAGE_MAX_MEMORY exceeded" });
        return nullptr;
    }
    uint32_t colors = bpp == 24 ? 0 : 1u << bpp;
    uint32_t stride = DibStride(width, bpp);
    uint64_t rows = static_cast<uint64_t>(stride) * height;
    uint64_t total = sizeof(BITMAPINFOHEADER) + 4ull * colors + rows;
    if (m_settings.memoryBudget && total > m_settings.memoryBudget) {
        Fail({ DecodeStatus::kTooLarge,
               "CImageObject::Create : the picture exceeds the memory budget" });
        return nullptr;
    }
    if (total > SIZE_MAX) {
        Fail({ DecodeStatus::kTooLarge, "CImageObject::Create can't allocate memory" });
        return nullptr;
    }
    // Zeroed, so rows the data never reach read as index 0 (or black) rather
    // than as whatever the heap held.
    uint8_t* block = static_cast<uint8_t*>(calloc(1, static_cast<size_t>(total)));
    if (!block) {
        Fail({ DecodeStatus::kTooLarge, "CImageObject::Create can't allocate memory" });
        return nullptr;
    }
    memset(&m_header, 0, sizeof m_header);
    m_header.biSize = sizeof(BITMAPINFOHEADER);
    m_header.biWidth = static_cast<LONG>(width);
    m_header.biHeight = static_cast<LONG>(height);
    m_header.biPlanes = 1;
    m_header.biBitCount = static_cast<WORD>(bpp);
    m_header.biCompression = BI_RGB;
    m_header.biSizeImage = static_cast<DWORD>(rows);
    m_header.biXPelsPerMeter = PelsPerMeter(m_settings.xDpi);
    m_header.biYPelsPerMeter = PelsPerMeter(m_settings.yDpi);
    m_header.biClrUsed = colors;
    m_stride = stride;
    m_settings.type = type;
    InvalidateNearest();
    m_block = block;
    memcpy(m_block, &m_header, sizeof m_header);
    m_pixels = m_block + sizeof(BITMAPINFOHEADER) + 4 * colors;
    return m_block;
}

void CImageObject::Release()
{
    if (m_ghost)
        return;
    delete[] m_layers;
    m_layers = nullptr;
    free(m_selection);
    free(m_alpha);
    free(m_block);
    m_selection = m_alpha = m_block = m_pixels = nullptr;
}

bool CImageObject::AllocateAlpha()
{
    if (!m_block)
        return false;
    free(m_alpha);
    size_t n = static_cast<size_t>(m_header.biWidth) * m_header.biHeight;
    m_alpha = static_cast<uint8_t*>(malloc(n));
    if (m_alpha)
        memset(m_alpha, 255, n);
    return m_alpha != nullptr;
}

void CImageObject::DropAlpha()
{
    free(m_alpha);
    m_alpha = nullptr;
}

void CImageObject::CopySettings(const CImageObject& from)
{
    if (m_block || &from == this)
        return;
    m_settings = from.m_settings;
}

void CImageObject::TakeOver(CImageObject& other)
{
    if (&other == this)
        return;
    Release();
    m_block = other.m_block;
    m_header = other.m_header;
    m_stride = other.m_stride;
    m_pixels = other.m_pixels;
    m_ghost = other.m_ghost;
    m_settings = other.m_settings;
    m_alpha = other.m_alpha;
    m_selection = other.m_selection;
    m_layers = other.m_layers;
    other.m_block = other.m_pixels = other.m_alpha = other.m_selection = nullptr;
    other.m_layers = nullptr;
    other.m_ghost = nullptr;
    memset(&other.m_header, 0, sizeof other.m_header);
    other.m_stride = 0;
}

bool CImageObject::CopyFrom(const CImageObject& other, bool copyPixels, bool copySelection,
                            bool copyAlpha)
{
    if (&other == this)
        return true;
    Release();
    if (m_ghost)
        return false;
    m_settings = other.m_settings;
    if (!other.m_block)
        return true;
    if (!Create(other.m_header.biWidth, other.m_header.biHeight, other.m_header.biBitCount,
                other.m_settings.type))
        return false;
    m_settings = other.m_settings;
    size_t n = static_cast<size_t>(m_header.biWidth) * m_header.biHeight;
    if (copyPixels)
        memcpy(m_block, other.m_block, BlockSize());
    else
        memcpy(Palette(), other.Palette(), PaletteSize());
    if (copySelection && other.m_selection) {
        m_selection = static_cast<uint8_t*>(malloc(n));
        if (m_selection)
            memcpy(m_selection, other.m_selection, n);
    }
    if (copyAlpha && other.m_alpha) {
        m_alpha = static_cast<uint8_t*>(malloc(n));
        if (m_alpha)
            memcpy(m_alpha, other.m_alpha, n);
    }
    return true;
}

void CImageObject::Ghost(const CImageObject& from)
{
    Release();
    m_block = from.m_block;
    m_header = from.m_header;
    m_stride = from.m_stride;
    m_pixels = from.m_pixels;
    m_settings = from.m_settings;
    m_alpha = from.m_alpha;
    m_selection = from.m_selection;
    m_layers = nullptr;
    m_ghost = &from;
}
