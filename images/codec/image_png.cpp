// PNG through libpng: transparency composited for all but 32-bit pixels,
// 16-bit samples cut to 8, the palette and its transparency kept.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "alpha_split.h"
#include "decode_util.h"
#include "image_decoders.h"

namespace {

struct PngState {
  CImageStream* stream;
  CImageObject* image;  // whose escape callback is asked after every row
  char message[256];
};

void PngError(png_structp png, png_const_charp text) {
  PngState* state = static_cast<PngState*>(png_get_error_ptr(png));
  CopyMessage(state->message, sizeof state->message, text);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRowDone(png_structp png, png_uint_32, int) {
  PngState* state = static_cast<PngState*>(png_get_io_ptr(png));
  if (state->image->Escape()) png_error(png, "Cancelled");
}

// The library's last step on a row of a file read top to bottom: the alpha
// goes to its row of the picture's mask and the colour closes up in place, so
// that the library then copies three bytes a pixel straight into the picture.
void PartAlphaInRow(png_structp png, png_row_infop row, png_bytep data) {
  CImageObject& image = *static_cast<PngState*>(png_get_io_ptr(png))->image;
  const png_uint_32 y = png_get_current_row_number(png);
  const png_uint_32 width = static_cast<png_uint_32>(image.Width());
  const png_uint_32 height = static_cast<png_uint_32>(image.Height());
  if (!image.AlphaMask() || row->channels != 4 || row->bit_depth != 8 || row->width != width || y >= height)
    png_error(png, "Unexpected row");
  SplitAlphaRow(data, data, image.AlphaMask() + static_cast<size_t>(width) * (height - 1 - y), width);
}

void PngRead(png_structp png, png_bytep out, png_size_t n) {
  PngState* state = static_cast<PngState*>(png_get_io_ptr(png));
  if (!state->stream->ReadAll(out, n)) png_error(png, "Read Error");
}

}  // namespace

bool CImageObjectPNG::Decode(CImageStream& s) {
  PngState state;
  state.stream = &s;
  state.image = this;
  state.message[0] = 0;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
  if (!png) {
    SetLastError("Failed to create PNG structure");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    SetLastError("Failed to initialize PNG info structure");
    return false;
  }
  std::vector<uint8_t> pixels;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    Release();
    SetLastError(state.message);
    return false;
  }
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
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kUnused, static_cast<int>(sizeof kUnused / 5));
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
  const int channels = png_get_channels(png, info);
  const int pixelDepth = depth * channels;
  const bool palette = colorType == PNG_COLOR_TYPE_PALETTE;
  const bool grey = (colorType & PNG_COLOR_MASK_COLOR) == 0;

  // The depth of the picture this file becomes.
  uint32_t bpp;
  if (palette || (grey && pixelDepth < 16)) bpp = depth == 2 ? 4 : static_cast<uint32_t>(depth);
  else if (pixelDepth == 16) bpp = 8;
  else bpp = 24;
  const bool withAlpha = pixelDepth == 32 && (colorType & PNG_COLOR_MASK_ALPHA);
  if (!WithinMemoryBound(width, height, withAlpha ? 32 : bpp) ||
      !WithinMemoryBound(width, height, static_cast<uint32_t>(pixelDepth))) {
    CopyMessage(state.message, sizeof state.message, "IMAGE_MAX_MEMORY exceeded");
    png_longjmp(png, 1);
  }

  // The palette's transparency is read before the compositing set up below
  // consumes it.
  uint8_t paletteAlpha[256];
  int alphaCount = 0;
  if (palette) {
    png_bytep alpha = nullptr;
    if (png_get_tRNS(png, info, &alpha, &alphaCount, nullptr) && alpha && alphaCount > 0) {
      if (alphaCount > 256) alphaCount = 256;
      memcpy(paletteAlpha, alpha, static_cast<size_t>(alphaCount));
    } else {
      alphaCount = 0;
    }
  }
  png_color_16p fileBackground = nullptr;
  const bool hasBackground = png_get_bKGD(png, info, &fileBackground) != 0;
  if (pixelDepth != 32) {
    if (hasBackground) {
      png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    } else {
      // Without a colour of its own the file is shown on the grey of a page.
      png_color_16 back;
      const png_uint_16 v = depth == 16 ? 192 * 257 : static_cast<png_uint_16>(192 >> (8 - (depth < 8 ? depth : 8)));
      back.index = 0;
      back.red = back.green = back.blue = back.gray = depth == 16 ? v : (grey ? v : 192);
      png_set_background(png, &back, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
  } else if (hasBackground) {
    RGBQUAD& t = Settings().transparentColor;
    const int shift = depth == 16 ? 8 : 0;
    t.rgbRed = static_cast<uint8_t>((grey ? fileBackground->gray : fileBackground->red) >> shift);
    t.rgbGreen = static_cast<uint8_t>((grey ? fileBackground->gray : fileBackground->green) >> shift);
    t.rgbBlue = static_cast<uint8_t>((grey ? fileBackground->gray : fileBackground->blue) >> shift);
    t.rgbReserved = 0;
  }
  if (depth == 16) png_set_strip_16(png);
  if (bpp == 24) {
    if (grey) png_set_gray_to_rgb(png);
    png_set_bgr(png);
  }
  const int passes = png_set_interlace_handling(png);
  if (withAlpha && passes == 1) {
    png_set_read_user_transform_fn(png, PartAlphaInRow);
    png_set_user_transform_info(png, nullptr, 8, 3);
  }
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  const int outChannels = png_get_channels(png, info);
  if (static_cast<uint64_t>(rowBytes) * height > SIZE_MAX / 2) {
    CopyMessage(state.message, sizeof state.message, "IMAGE_MAX_MEMORY exceeded");
    png_longjmp(png, 1);
  }

  png_uint_32 xRes = 0, yRes = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &xRes, &yRes, &unit)) {
    if (unit == PNG_RESOLUTION_METER) {
      Settings().xDpi = DpiFromPelsPerMeter(static_cast<int32_t>(xRes & 0x7FFFFFFF));
      Settings().yDpi = DpiFromPelsPerMeter(static_cast<int32_t>(yRes & 0x7FFFFFFF));
    } else {
      Settings().xDpi = static_cast<int32_t>(xRes & 0x7FFFFFFF);
      Settings().yDpi = static_cast<int32_t>(yRes & 0x7FFFFFFF);
    }
  }

  if (!Create(width, height, bpp, kImagePNG)) {
    CopyMessage(state.message, sizeof state.message, LastError());
    png_longjmp(png, 1);
  }
  if (palette) {
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &entries, &count)) {
      for (int i = 0; i < count && i < static_cast<int>(ColorsUsed()); ++i)
        SetPaletteColor(static_cast<uint8_t>(i), entries[i].red, entries[i].green, entries[i].blue);
    }
    if (alphaCount > 0) {
      RGBQUAD* pal = Palette();
      const int colors = static_cast<int>(ColorsUsed());
      for (int i = 0; i < colors; ++i) pal[i].rgbReserved = i < alphaCount ? paletteAlpha[i] : 255;
      if (alphaCount == 1 && paletteAlpha[0] == 0) Settings().transparentIndex = 0;
      else Settings().paletteAlpha = true;
    }
  } else if (grey && bpp <= 8) {
    if (depth == 2) {
      static const uint8_t kGreys[4] = {0, 85, 170, 255};
      for (int i = 0; i < 4; ++i) SetPaletteColor(static_cast<uint8_t>(i), kGreys[i], kGreys[i], kGreys[i]);
    } else {
      SetGreyPalette();
    }
  }
  if (withAlpha && !AllocateAlpha()) {
    CopyMessage(state.message, sizeof state.message, "CImageObject::Create can't allocate memory");
    png_longjmp(png, 1);
  }

  // Rows the library delivers in the picture's own layout (an alpha channel
  // parted by the library's last step included) are read straight into it,
  // bottom row last; 2-bit samples, and an interlaced file's alpha, are
  // spread out from a buffer: one row while it is warm in the cache, or the
  // whole picture when interlacing brings every row back on each pass.
  const bool inPlace = !(depth == 2 && bpp == 4) && outChannels != 4 && rowBytes <= Stride();
  const size_t width8 = width;
  auto spread = [&](const uint8_t* in, png_uint_32 y) {
    const int32_t memoryRow = static_cast<int32_t>(height - 1 - y);
    uint8_t* out = Row(memoryRow);
    if (depth == 2 && bpp == 4) {
      // Two 2-bit samples into each nibble pair.
      for (size_t x = 0; x < width8; ++x) {
        const uint8_t v = (in[x / 4] >> (6 - 2 * (x % 4))) & 3;
        if (x % 2 == 0) out[x / 2] = static_cast<uint8_t>(v << 4);
        else out[x / 2] |= v;
      }
    } else if (outChannels == 4) {
      SplitAlphaRow(in, out, AlphaMask() + width8 * static_cast<size_t>(memoryRow), width8);
    } else {
      memcpy(out, in, Stride());  // only when a row is wider than the picture's
    }
  };
  if (inPlace) {
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = Row(static_cast<int32_t>(height - 1 - y));
    for (int pass = 0; pass < passes; ++pass) png_read_rows(png, rows.data(), nullptr, height);
  } else if (passes == 1) {
    pixels.resize(rowBytes);
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, pixels.data(), nullptr);
      spread(pixels.data(), y);
    }
  } else {
    pixels.resize(rowBytes * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels.data() + rowBytes * y;
    for (int pass = 0; pass < passes; ++pass) png_read_rows(png, rows.data(), nullptr, height);
    for (png_uint_32 y = 0; y < height; ++y) spread(rows[y], y);
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}
