// CImageObject: one picture held as a device-independent bitmap, plus the
// settings that travel with it from decoder to caller.
#pragma once

#include <cstddef>
#include <cstdint>

#include "images/codec/dib.h"
#include "images/codec/image_stream.h"
#include "images/codec/image_types.h"
#include "images/codec/decode_result.h"

// How Rescale computes each new pixel.
enum class ResampleMode {
    kNearest = 1,  // the source pixel under it
    kBSpline = 2,  // a cubic B-spline over 4 by 4 source pixels
    // An area average where a 24-bit picture shrinks both ways (a thumbnail),
    // bilinear otherwise.
    kSmooth = 3,
};

class CImageObject;
// The user value is pointer-sized so that a caller can hand over the state
// its answer depends on (32 bits in the shipped program).
typedef int32_t (*ImageEscapeCallback)(CImageObject* image, intptr_t user);

// Settings: what one object copies into another (every field after the header
// but the owned masks and layers). The row stride and pixel pointer describe
// the picture itself and the ghost pointer marks borrowed data, so neither
// travels with the settings.
struct ImageSettings {
    uint32_t type;
    char lastError[256];
    DecodeStatus status;  // what became of the last decode; lastError is its text
    int32_t progress;
    ImageEscapeCallback escape;
    intptr_t escapeUser;
    int32_t transparentIndex;
    RGBQUAD transparentColor;
    uint8_t jpegQuality;
    uint8_t jpegScale;
    // When set, the JPEG decoder chooses jpegScale itself: the largest that
    // still leaves this many pixels on the picture's longer side (a thumbnail
    // tile's edge). The picture's size in the file is then kept in
    // sourceWidth and sourceHeight; 0 there means the decoded size.
    uint32_t jpegFitEdge;
    int32_t sourceWidth, sourceHeight;
    // When set, a picture whose pixels would take more bytes than this is
    // refused, and so is a JPEG whose decoding needs more working memory.
    // The viewer's other pictures keep the program-wide bound.
    uint64_t memoryBudget;
    int32_t frame;
    int32_t frameCount;
    uint32_t frameDelay;
    int32_t xDpi;
    int32_t yDpi;
    uint8_t alphaMax;
    bool paletteAlpha;
    bool enabled;
    uint32_t codecOptions[kImageTypeCount];
    RGBQUAD nearestColor;
    uint8_t nearestIndex;
    bool nearestValid;
    CImageObject* parent;
    int32_t selectionLeft, selectionTop, selectionRight, selectionBottom;
    int32_t xOffset, yOffset;
    int32_t layerCount;
    uint32_t flags;
};

class CImageObject {
public:
    CImageObject();
    // Loads the file; never fails as such, the outcome is HasPixels().
    CImageObject(const char* path, uint32_t type);
    // The loading of the constructor, for an object whose settings (the frame,
    // say) were set first. Type 0 takes the type from the extension.
    void Load(const char* path, uint32_t type);
    virtual ~CImageObject();
    CImageObject(const CImageObject&) = delete;
    CImageObject& operator=(const CImageObject&) = delete;

    bool HasPixels() const { return m_block != nullptr; }
    int32_t Width() const { return m_header.biWidth; }
    int32_t Height() const { return m_header.biHeight; }
    // The picture's size in its file, which a decoder that shrinks on load
    // (the JPEG scale) leaves larger than Width() and Height().
    int32_t SourceWidth() const
    {
        return m_settings.sourceWidth ? m_settings.sourceWidth : Width();
    }
    int32_t SourceHeight() const
    {
        return m_settings.sourceHeight ? m_settings.sourceHeight : Height();
    }
    uint16_t Bpp() const { return m_header.biBitCount; }
    uint32_t ColorsUsed() const { return m_header.biClrUsed; }
    uint32_t Stride() const { return m_stride; }
    uint32_t Type() const { return m_settings.type; }
    const BITMAPINFOHEADER& Header() const { return m_header; }
    // The whole block: header, palette, rows; laid out for the DIB functions.
    const void* Block() const { return m_block; }
    size_t BlockSize() const;
    uint8_t* Pixels() const { return m_pixels; }
    uint8_t* Row(int32_t y) const { return m_pixels + static_cast<size_t>(m_stride) * y; }
    RGBQUAD* Palette() const;
    uint32_t PaletteSize() const { return m_header.biClrUsed * 4; }
    uint8_t* AlphaMask() const { return m_alpha; }
    bool AllocateAlpha();  // opaque; false when out of memory
    void DropAlpha();

    ImageSettings& Settings() { return m_settings; }
    const ImageSettings& Settings() const { return m_settings; }
    const char* LastError() const { return m_settings.lastError; }
    // The outcome of the last decode, or of a Create that refused its size.
    DecodeStatus Status() const { return m_settings.status; }
    // Records a decoder's failure: its status, and its text unless that is
    // null. Always false, so that a decoder can return it.
    bool Fail(const DecodeFailure& failure);
    // The text alone: a note that stays with a picture that still decodes.
    void SetLastError(const char* text);
    int32_t TransparentIndex() const { return m_settings.transparentIndex; }
    int32_t FrameCount() const { return m_settings.frameCount; }
    void SetFrame(int32_t frame) { m_settings.frame = frame; }
    void SetEscape(ImageEscapeCallback escape, intptr_t user);
    bool Escape();  // true when the callback asks to stop

    // Decodes with the dispatch table; type 0 detects the format.
    bool Decode(CImageStream& stream, uint32_t type);
    // A decoder's own reading; the plain object answers the dispatch of its type.
    virtual bool Decode(CImageStream& stream);

    void* Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel, uint32_t type);
    // The bound Create applies, for decoders that must refuse a declared size
    // before a library allocates anything for it.
    static bool WithinMemoryBound(uint64_t width, uint64_t height, uint32_t bitsPerPixel);
    void Release();
    void CopySettings(const CImageObject& from);
    void TakeOver(CImageObject& other);
    bool CopyFrom(const CImageObject& other, bool copyPixels, bool copySelection, bool copyAlpha);
    // Borrows another object's picture; a ghost never releases what it shows.
    void Ghost(const CImageObject& from);
    bool IsGhost() const { return m_ghost != nullptr; }

    uint8_t PixelIndex(int32_t x, int32_t y) const;
    RGBQUAD PixelColor(int32_t x, int32_t y) const;
    void PutIndex(int32_t x, int32_t y, uint8_t index);
    void PutColor(int32_t x, int32_t y, RGBQUAD color);
    uint8_t NearestPaletteIndex(RGBQUAD color);
    void SetGreyPalette();
    void FillIndex(int32_t value);
    void SetPaletteEntries(uint32_t n, const uint8_t* red, const uint8_t* green,
                           const uint8_t* blue);
    void SetPaletteEntries(const RGBQUAD* entries, uint32_t n);
    void SetPaletteColor(uint8_t index, uint8_t red, uint8_t green, uint8_t blue);

    bool Rescale(uint32_t newWidth, uint32_t newHeight, ResampleMode mode, CImageObject* target);

#ifdef _WIN32
    HBITMAP ToBitmap(HDC deviceContext);
#endif

    bool IsInside(int32_t x, int32_t y) const
    {
        return m_block && x >= 0 && y >= 0 && x < m_header.biWidth && y < m_header.biHeight;
    }

protected:
    // Fills width and height without pixels: the size-only answer of a decoder.
    void SetSizeOnly(int32_t width, int32_t height);
    void InvalidateNearest()
    {
        m_settings.nearestValid = false;
    }

private:
    void Defaults(uint32_t type);
    void LoadAs(const char* path, uint32_t type);
    bool RescaleNearest(CImageObject& out, float xScale, float yScale);
    bool RescaleBSpline(CImageObject& out, float xScale, float yScale);
    bool RescaleBilinear(CImageObject& out, float xScale, float yScale);
    bool RescaleBox(CImageObject& out, float xScale, float yScale);
    bool RowProgress(uint32_t row, uint32_t rows);

    uint8_t* m_block = nullptr;
    BITMAPINFOHEADER m_header;
    uint32_t m_stride = 0;
    uint8_t* m_pixels = nullptr;
    const CImageObject* m_ghost = nullptr;
    ImageSettings m_settings;
    uint8_t* m_alpha = nullptr;
    uint8_t* m_selection = nullptr;
    CImageObject** m_layers = nullptr;
};

// Bytes per row of a DIB: whole 32-bit words.
inline uint32_t DibStride(uint32_t width, uint32_t bitsPerPixel)
{
    return static_cast<uint32_t>(((static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32) * 4);
}
