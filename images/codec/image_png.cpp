// PNG through libpng: transparency composited for all but 32-bit pixels,
// 16-bit samples cut to 8, the palette and its transparency kept.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "images/codec/alpha_split.h"
#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"

namespace {

struct PngState {
    CImageStream* stream;
    CImageObject* image;  // whose escape callback is asked after every row
    char message[256];
    // The library's own errors are damage, once the signature has passed.
    DecodeStatus status;
};

void PngError(png_structp png, png_const_charp text)
{
    PngState* state = static_cast<PngState*>(png_get_error_ptr(png));
    CopyMessage(state->message, sizeof state->message, text);
    png_longjmp(png, 1);
}

// Gives up with a status and text of our own. Called between the setjmp in
// Decode and its end, from frames that hold nothing to destroy.
[[noreturn]] void Raise(png_structp png, PngState& state, DecodeStatus status, const char* text)
{
    CopyMessage(state.message, sizeof state.message, text);
    state.status = status;
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRowDone(png_structp png, png_uint_32, int)
{
    PngState* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (state->image->Escape())
        Raise(png, *state, DecodeStatus::kCancelled, "Cancelled");
}

// The library's last step on a row of a file read top to bottom: the alpha
// goes to its row of the picture's mask and the colour closes up in place, so
// that the library then copies three bytes a pixel straight into the picture.
void PartAlphaInRow(png_structp png, png_row_infop row, png_bytep data)
{
    CImageObject& image = *static_cast<PngState*>(png_get_io_ptr(png))->image;
    const png_uint_32 y = png_get_current_row_number(png);
    const png_uint_32 width = static_cast<png_uint_32>(image.Width());
    const png_uint_32 height = static_cast<png_uint_32>(image.Height());
    if (!image.AlphaMask() || row->channels != 4 || row->bit_depth != 8 || row->width != width ||
        y >= height)
        png_error(png, "Unexpected row");
    SplitAlphaRow(data, data, image.AlphaMask() + static_cast<size_t>(width) * (height - 1 - y),
                  width);
}

void PngRead(png_structp png, png_bytep out, png_size_t n)
{
    PngState* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (!state->stream->ReadAll(out, n))
        png_error(png, "Read Error");
}

// Whether the stream starts with the PNG signature; where it stood stays.
bool HasPngSignature(CImageStream& s)
{
    const int64_t start = s.Tell();
    png_byte signature[8];
    const bool read = s.ReadAll(signature, sizeof signature);
    s.Seek(start, CImageStream::kSet);
    return read && png_sig_cmp(signature, 0, sizeof signature) == 0;
}

// The reading set up and the chunks up to the pixels read.
void ReadHeader(png_structp png, png_infop info, PngState& state)
{
    png_set_read_fn(png, &state, PngRead);
    png_set_read_status_fn(png, PngRowDone);
    // Sides beyond these, and ancillary chunks beyond 8 MB, are refused by the
    // library before it allocates for them; the picture bound follows below.
    png_set_user_limits(png, 1000000, 1000000);
    png_set_chunk_malloc_max(png, 8u << 20);
    // Yet libpng 1.6.39 allocates the declared length of these chunks before
    // reading them, past that limit: a 98-byte file asked for 1.4 GB by a tEXt
    // header. The picture uses none of them, so they go the way of unknown
    // chunks, read past a piece at a time and not kept.
    static const png_byte kUnused[] = "tEXt\0zTXt\0iTXt\0sPLT\0pCAL\0sCAL\0eXIf";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kUnused,
                                static_cast<int>(sizeof kUnused / 5));
    png_read_info(png, info);
}

// What the file becomes, and how the library is told to deliver it.
struct PngLayout {
    png_uint_32 width = 0, height = 0;
    int depth = 0;
    int pixelDepth = 0;  // the file's bits per pixel, every channel
    bool palette = false, grey = false;
    bool withAlpha = false;  // 32-bit pixels: colour rows and an alpha mask
    uint32_t bpp = 0;        // the picture's depth
    int passes = 1;
    size_t rowBytes = 0;  // of a row the library delivers
    int outChannels = 0;
    // The palette's transparency, read before the compositing consumes it.
    uint8_t paletteAlpha[256];
    int alphaCount = 0;
};

void ReadPaletteAlpha(png_structp png, png_infop info, PngLayout& l)
{
    png_bytep alpha = nullptr;
    if (png_get_tRNS(png, info, &alpha, &l.alphaCount, nullptr) && alpha && l.alphaCount > 0) {
        if (l.alphaCount > 256)
            l.alphaCount = 256;
        memcpy(l.paletteAlpha, alpha, static_cast<size_t>(l.alphaCount));
    } else {
        l.alphaCount = 0;
    }
}

// Transparency is composited for all but 32-bit pixels: on the file's own
// background colour, or on the grey of a page. A 32-bit file's background
// becomes the picture's transparent colour.
void SetBackground(png_structp png, png_infop info, const PngLayout& l, ImageSettings& settings)
{
    png_color_16p fileBackground = nullptr;
    const bool hasBackground = png_get_bKGD(png, info, &fileBackground) != 0;
    const int depth = l.depth;
    if (l.pixelDepth != 32) {
        if (hasBackground) {
            png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
            return;
        }
        png_color_16 back;
        const png_uint_16 v = depth == 16
                                  ? 192 * 257
                                  : static_cast<png_uint_16>(192 >> (8 - (depth < 8 ? depth : 8)));
        back.index = 0;
        back.red = back.green = back.blue = back.gray = depth == 16 ? v : (l.grey ? v : 192);
        png_set_background(png, &back, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    } else if (hasBackground) {
        RGBQUAD& t = settings.transparentColor;
        const int shift = depth == 16 ? 8 : 0;
        t.rgbRed =
            static_cast<uint8_t>((l.grey ? fileBackground->gray : fileBackground->red) >> shift);
        t.rgbGreen =
            static_cast<uint8_t>((l.grey ? fileBackground->gray : fileBackground->green) >> shift);
        t.rgbBlue =
            static_cast<uint8_t>((l.grey ? fileBackground->gray : fileBackground->blue) >> shift);
        t.rgbReserved = 0;
    }
}

void ReadResolution(png_structp png, png_infop info, ImageSettings& settings)
{
    png_uint_32 xRes = 0, yRes = 0;
    int unit = 0;
    if (!png_get_pHYs(png, info, &xRes, &yRes, &unit))
        return;
    if (unit == PNG_RESOLUTION_METER) {
        settings.xDpi = DpiFromPelsPerMeter(static_cast<int32_t>(xRes & 0x7FFFFFFF));
        settings.yDpi = DpiFromPelsPerMeter(static_cast<int32_t>(yRes & 0x7FFFFFFF));
    } else {
        settings.xDpi = static_cast<int32_t>(xRes & 0x7FFFFFFF);
        settings.yDpi = static_cast<int32_t>(yRes & 0x7FFFFFFF);
    }
}

// Chooses the picture's depth from the header, refuses what the bound does
// not allow, and sets up the library's transforms to match.
void ChooseLayout(png_structp png, png_infop info, PngState& state, PngLayout& l)
{
    int colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &l.width, &l.height, &l.depth, &colorType, &interlace, nullptr,
                 nullptr);
    const int depth = l.depth;
    l.pixelDepth = depth * png_get_channels(png, info);
    l.palette = colorType == PNG_COLOR_TYPE_PALETTE;
    l.grey = (colorType & PNG_COLOR_MASK_COLOR) == 0;
    if (l.palette || (l.grey && l.pixelDepth < 16))
        l.bpp = depth == 2 ? 4 : static_cast<uint32_t>(depth);
    else if (l.pixelDepth == 16)
        l.bpp = 8;
    else
        l.bpp = 24;
    l.withAlpha = l.pixelDepth == 32 && (colorType & PNG_COLOR_MASK_ALPHA);
    if (!CImageObject::WithinMemoryBound(l.width, l.height, l.withAlpha ? 32 : l.bpp) ||
        !CImageObject::WithinMemoryBound(l.width, l.height, static_cast<uint32_t>(l.pixelDepth)))
        Raise(png, state, DecodeStatus::kTooLarge, "IMAGE_MAX_MEMORY exceeded");

    if (l.palette)
        ReadPaletteAlpha(png, info, l);
    SetBackground(png, info, l, state.image->Settings());
    if (depth == 16)
        png_set_strip_16(png);
    if (l.bpp == 24) {
        if (l.grey)
            png_set_gray_to_rgb(png);
        png_set_bgr(png);
    }
    l.passes = png_set_interlace_handling(png);
    if (l.withAlpha && l.passes == 1) {
        png_set_read_user_transform_fn(png, PartAlphaInRow);
        png_set_user_transform_info(png, nullptr, 8, 3);
    }
    png_read_update_info(png, info);
    l.rowBytes = png_get_rowbytes(png, info);
    l.outChannels = png_get_channels(png, info);
    if (static_cast<uint64_t>(l.rowBytes) * l.height > SIZE_MAX / 2)
        Raise(png, state, DecodeStatus::kTooLarge, "IMAGE_MAX_MEMORY exceeded");
}

// The picture made, with its palette or greys and its alpha mask.
void MakePicture(png_structp png, png_infop info, PngState& state, const PngLayout& l)
{
    CImageObject& image = *state.image;
    if (!image.Create(l.width, l.height, l.bpp, kImagePNG))
        Raise(png, state, image.Status(), image.LastError());
    if (l.palette) {
        png_colorp entries = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &entries, &count)) {
            for (int i = 0; i < count && i < static_cast<int>(image.ColorsUsed()); ++i)
                image.SetPaletteColor(static_cast<uint8_t>(i), entries[i].red, entries[i].green,
                                      entries[i].blue);
        }
        if (l.alphaCount > 0) {
            RGBQUAD* pal = image.Palette();
            const int colors = static_cast<int>(image.ColorsUsed());
            for (int i = 0; i < colors; ++i)
                pal[i].rgbReserved = i < l.alphaCount ? l.paletteAlpha[i] : 255;
            if (l.alphaCount == 1 && l.paletteAlpha[0] == 0)
                image.Settings().transparentIndex = 0;
            else
                image.Settings().paletteAlpha = true;
        }
    } else if (l.grey && l.bpp <= 8) {
        if (l.depth == 2) {
            static const uint8_t kGreys[4] = { 0, 85, 170, 255 };
            for (int i = 0; i < 4; ++i)
                image.SetPaletteColor(static_cast<uint8_t>(i), kGreys[i], kGreys[i], kGreys[i]);
        } else {
            image.SetGreyPalette();
        }
    }
    if (l.withAlpha && !image.AllocateAlpha())
        Raise(png, state, DecodeStatus::kTooLarge, "CImageObject::Create can't allocate memory");
}

// A row the library delivered in another layout, into the picture: 2-bit
// samples into nibbles, an alpha channel into the mask, or a row wider than
// the picture's cut to it.
void SpreadRow(CImageObject& image, const PngLayout& l, const uint8_t* in, png_uint_32 y)
{
    const int32_t memoryRow = static_cast<int32_t>(l.height - 1 - y);
    uint8_t* out = image.Row(memoryRow);
    const size_t width = l.width;
    if (l.depth == 2 && l.bpp == 4) {
        for (size_t x = 0; x < width; ++x) {
            const uint8_t v = (in[x / 4] >> (6 - 2 * (x % 4))) & 3;
            if (x % 2 == 0)
                out[x / 2] = static_cast<uint8_t>(v << 4);
            else
                out[x / 2] |= v;
        }
    } else if (l.outChannels == 4) {
        SplitAlphaRow(in, out, image.AlphaMask() + width * static_cast<size_t>(memoryRow), width);
    } else {
        memcpy(out, in, image.Stride());  // only when a row is wider than the picture's
    }
}

// Rows the library delivers in the picture's own layout (an alpha channel
// parted by the library's last step included) are read straight into it,
// bottom row last; the others are spread out from a buffer: one row while it
// is warm in the cache, or the whole picture when interlacing brings every
// row back on each pass. The buffers are the caller's, so that no frame here
// holds anything the library's long jump would skip.
void ReadRows(png_structp png, CImageObject& image, const PngLayout& l,
              std::vector<uint8_t>& pixels, std::vector<png_bytep>& rows)
{
    const png_uint_32 height = l.height;
    const bool inPlace =
        !(l.depth == 2 && l.bpp == 4) && l.outChannels != 4 && l.rowBytes <= image.Stride();
    if (inPlace) {
        rows.resize(height);
        for (png_uint_32 y = 0; y < height; ++y)
            rows[y] = image.Row(static_cast<int32_t>(height - 1 - y));
        for (int pass = 0; pass < l.passes; ++pass)
            png_read_rows(png, rows.data(), nullptr, height);
    } else if (l.passes == 1) {
        pixels.resize(l.rowBytes);
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, pixels.data(), nullptr);
            SpreadRow(image, l, pixels.data(), y);
        }
    } else {
        pixels.resize(l.rowBytes * height);
        rows.resize(height);
        for (png_uint_32 y = 0; y < height; ++y)
            rows[y] = pixels.data() + l.rowBytes * y;
        for (int pass = 0; pass < l.passes; ++pass)
            png_read_rows(png, rows.data(), nullptr, height);
        for (png_uint_32 y = 0; y < height; ++y)
            SpreadRow(image, l, rows[y], y);
    }
}

}  // namespace

bool CImageObjectPNG::Decode(CImageStream& s)
{
    PngState state;
    state.stream = &s;
    state.image = this;
    state.message[0] = 0;
    // Anything without the signature is refused by the library's first check,
    // in the library's words.
    state.status = HasPngSignature(s) ? DecodeStatus::kCorrupt : DecodeStatus::kUnsupported;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
    if (!png)
        return Fail({ DecodeStatus::kTooLarge, "Failed to create PNG structure" });
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return Fail({ DecodeStatus::kTooLarge, "Failed to initialize PNG info structure" });
    }
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    PngLayout layout;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        Release();
        return Fail({ state.status, state.message });
    }
    ReadHeader(png, info, state);
    ChooseLayout(png, info, state, layout);
    ReadResolution(png, info, Settings());
    MakePicture(png, info, state, layout);
    ReadRows(png, *this, layout, pixels, rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}
