#include "image_object.h"

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
    memset(&header_, 0, sizeof header_);
    memset(&settings_, 0, sizeof settings_);
    settings_.type = type;
    settings_.jpegQuality = 90;
    settings_.alphaMax = 255;
    settings_.transparentIndex = -1;
    settings_.enabled = true;
    settings_.xDpi = settings_.yDpi = 96;
    settings_.escape = NeverEscape;
}

void CImageObject::SetLastError(const char* text)
{
    strncpy(settings_.lastError, text ? text : "", sizeof settings_.lastError - 1);
    settings_.lastError[sizeof settings_.lastError - 1] = 0;
}

bool CImageObject::Fail(const DecodeFailure& failure)
{
    settings_.status = failure.status;
    if (failure.text)
        SetLastError(failure.text);
    return false;
}

void CImageObject::SetEscape(ImageEscapeCallback escape, intptr_t user)
{
    settings_.escape = escape ? escape : NeverEscape;
    settings_.escapeUser = user;
}

bool CImageObject::Escape()
{
    return settings_.escape && settings_.escape(this, settings_.escapeUser) != 0;
}

size_t CImageObject::BlockSize() const
{
    if (!block_)
        return 0;
    return sizeof(BITMAPINFOHEADER) + PaletteSize() +
           static_cast<size_t>(stride_) * header_.biHeight;
}

RGBQUAD* CImageObject::Palette() const
{
    return block_ ? reinterpret_cast<RGBQUAD*>(block_ + sizeof(BITMAPINFOHEADER)) : nullptr;
}

void CImageObject::SetSizeOnly(int32_t width, int32_t height)
{
    Release();
    header_.biWidth = width;
    header_.biHeight = height;
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
    if (ghost_)
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
    if (settings_.memoryBudget && total > settings_.memoryBudget) {
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
    memset(&header_, 0, sizeof header_);
    header_.biSize = sizeof(BITMAPINFOHEADER);
    header_.biWidth = static_cast<LONG>(width);
    header_.biHeight = static_cast<LONG>(height);
    header_.biPlanes = 1;
    header_.biBitCount = static_cast<WORD>(bpp);
    header_.biCompression = BI_RGB;
    header_.biSizeImage = static_cast<DWORD>(rows);
    header_.biXPelsPerMeter = PelsPerMeter(settings_.xDpi);
    header_.biYPelsPerMeter = PelsPerMeter(settings_.yDpi);
    header_.biClrUsed = colors;
    stride_ = stride;
    settings_.type = type;
    InvalidateNearest();
    block_ = block;
    memcpy(block_, &header_, sizeof header_);
    pixels_ = block_ + sizeof(BITMAPINFOHEADER) + 4 * colors;
    return block_;
}

void CImageObject::Release()
{
    if (ghost_)
        return;
    delete[] layers_;
    layers_ = nullptr;
    free(selection_);
    free(alpha_);
    free(block_);
    selection_ = alpha_ = block_ = pixels_ = nullptr;
}

bool CImageObject::AllocateAlpha()
{
    if (!block_)
        return false;
    free(alpha_);
    size_t n = static_cast<size_t>(header_.biWidth) * header_.biHeight;
    alpha_ = static_cast<uint8_t*>(malloc(n));
    if (alpha_)
        memset(alpha_, 255, n);
    return alpha_ != nullptr;
}

void CImageObject::DropAlpha()
{
    free(alpha_);
    alpha_ = nullptr;
}

void CImageObject::CopySettings(const CImageObject& from)
{
    if (block_ || &from == this)
        return;
    settings_ = from.settings_;
}

void CImageObject::TakeOver(CImageObject& other)
{
    if (&other == this)
        return;
    Release();
    block_ = other.block_;
    header_ = other.header_;
    stride_ = other.stride_;
    pixels_ = other.pixels_;
    ghost_ = other.ghost_;
    settings_ = other.settings_;
    alpha_ = other.alpha_;
    selection_ = other.selection_;
    layers_ = other.layers_;
    other.block_ = other.pixels_ = other.alpha_ = other.selection_ = nullptr;
    other.layers_ = nullptr;
    other.ghost_ = nullptr;
    memset(&other.header_, 0, sizeof other.header_);
    other.stride_ = 0;
}

bool CImageObject::CopyFrom(const CImageObject& other, bool copyPixels, bool copySelection,
                            bool copyAlpha)
{
    if (&other == this)
        return true;
    Release();
    if (ghost_)
        return false;
    settings_ = other.settings_;
    if (!other.block_)
        return true;
    if (!Create(other.header_.biWidth, other.header_.biHeight, other.header_.biBitCount,
                other.settings_.type))
        return false;
    settings_ = other.settings_;
    size_t n = static_cast<size_t>(header_.biWidth) * header_.biHeight;
    if (copyPixels)
        memcpy(block_, other.block_, BlockSize());
    else
        memcpy(Palette(), other.Palette(), PaletteSize());
    if (copySelection && other.selection_) {
        selection_ = static_cast<uint8_t*>(malloc(n));
        if (selection_)
            memcpy(selection_, other.selection_, n);
    }
    if (copyAlpha && other.alpha_) {
        alpha_ = static_cast<uint8_t*>(malloc(n));
        if (alpha_)
            memcpy(alpha_, other.alpha_, n);
    }
    return true;
}

void CImageObject::Ghost(const CImageObject& from)
{
    Release();
    block_ = from.block_;
    header_ = from.header_;
    stride_ = from.stride_;
    pixels_ = from.pixels_;
    settings_ = from.settings_;
    alpha_ = from.alpha_;
    selection_ = from.selection_;
    layers_ = nullptr;
    ghost_ = &from;
}
