// TIFF through libtiff: a directory per frame; colour pictures through the
// library's RGBA reader, bi-level, grey and palette pictures from their
// strips or tiles.
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "decode_util.h"
#include "image_decoders.h"

namespace {

struct TiffSource {
  CImageStream* stream;
  int64_t start;
  char message[256];
};

tmsize_t TiffRead(thandle_t h, void* buffer, tmsize_t n) {
  TiffSource* src = static_cast<TiffSource*>(h);
  if (n <= 0) return 0;
  return static_cast<tmsize_t>(src->stream->Read(buffer, 1, static_cast<size_t>(n)));
}
tmsize_t TiffWrite(thandle_t, void*, tmsize_t) { return -1; }
toff_t TiffSeek(thandle_t h, toff_t offset, int whence) {
  TiffSource* src = static_cast<TiffSource*>(h);
  if (offset > static_cast<toff_t>(INT64_MAX / 2)) return static_cast<toff_t>(-1);
  int64_t target = static_cast<int64_t>(offset);
  if (whence == SEEK_SET) target += src->start;
  if (!src->stream->Seek(target, whence)) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(src->stream->Tell() - src->start);
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) {
  TiffSource* src = static_cast<TiffSource*>(h);
  int64_t size = src->stream->Size() - src->start;
  return static_cast<toff_t>(size > 0 ? size : 0);
}
int TiffMap(thandle_t, void**, toff_t*) { return 0; }
void TiffUnmap(thandle_t, void*, toff_t) {}

// The first error of a decode is the one worth keeping.
int TiffErrorHandler(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  TiffSource* src = static_cast<TiffSource*>(user);
  if (src->message[0]) return 1;
  char text[512];
  vsnprintf(text, sizeof text, fmt, ap);
  char full[600];
  snprintf(full, sizeof full, "%s%s%s", module ? module : "", module ? ": " : "", text);
  CopyMessage(src->message, sizeof src->message, full);
  return 1;
}
int TiffWarningHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffFail {
  const char* text;
};

uint32_t Sample(const uint8_t* row, uint64_t index, uint16_t bits) {
  switch (bits) {
    case 8: return row[index];
    case 16: {
      // The library hands 16-bit samples over in the host's order.
      uint16_t v;
      memcpy(&v, row + 2 * index, 2);
      return v >> 8;
    }
    default: {
      const uint64_t bit = index * bits;
      return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
    }
  }
}

// Compressed strips may expand to this many times their stored bytes: above
// what Deflate, LZW or PackBits can reach, and what fax coding reaches on
// blank pages.
const uint64_t kMaxExpansion = 4096;

// The strips or tiles the directory declares must lie inside the file, and
// hold the decoded samples (uncompressed) or plausibly expand to them
// (compressed): checked before anything is allocated for them, since the
// declared sizes are the file's word only.
bool StoredDataFits(TIFF* tif, uint64_t fileSize, uint64_t decodedBytes) {
  const uint32_t count = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  // Each one takes at least its offset in the file.
  if (count == 0 || count > fileSize / 4 + 1) return false;
  uint64_t stored = 0;
  for (uint32_t i = 0; i < count; ++i) {
    int err = 0;
    const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &err);
    const uint64_t bytes = TIFFGetStrileByteCountWithErr(tif, i, &err);
    if (err || offset > fileSize || bytes > fileSize - offset) return false;
    stored += bytes;  // at most count times the file size: no overflow
  }
  uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  const uint64_t ratio = compression == COMPRESSION_NONE ? 1 : kMaxExpansion;
  return (decodedBytes + ratio - 1) / ratio <= stored;
}

}  // namespace

CImageObjectTIF::~CImageObjectTIF() {
  if (tiff_) TIFFClose(static_cast<TIFF*>(tiff_));
}

bool CImageObjectTIF::Decode(CImageStream& s) {
  TiffSource src;
  src.stream = &s;
  src.start = s.Tell();
  src.message[0] = 0;
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) {
    SetLastError("Error encountered while opening TIFF file");
    return false;
  }
  TIFFOpenOptionsSetErrorHandlerExtR(options, TiffErrorHandler, &src);
  TIFFOpenOptionsSetWarningHandlerExtR(options, TiffWarningHandler, &src);
  // Strip and tile buffers of hostile files stay within what a picture of
  // the bound could need.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(256) << 20);
  TIFF* tif = TIFFClientOpenExt("stream", "rm", &src, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                                TiffMap, TiffUnmap, options);
  TIFFOpenOptionsFree(options);
  tiff_ = tif;
  auto close = [&]() {
    if (tiff_) TIFFClose(static_cast<TIFF*>(tiff_));
    tiff_ = nullptr;
  };
  try {
    if (!tif) throw TiffFail{"Error encountered while opening TIFF file"};
    const int32_t frame = Settings().frame;
    {
      // Counting directories walks the chain; the library stops at loops.
      const tdir_t count = TIFFNumberOfDirectories(tif);
      Settings().frameCount = static_cast<int32_t>(count);
      if (frame < 0 || static_cast<uint32_t>(frame) >= count || !TIFFSetDirectory(tif, static_cast<tdir_t>(frame)))
        throw TiffFail{"Error: page not present in TIFF file"};
    }
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, spp = 1, photometric = PHOTOMETRIC_MINISWHITE, planar = PLANARCONFIG_CONTIG;
    uint16_t resUnit = RESUNIT_INCH;
    float xRes = 0, yRes = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
      photometric = spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &resUnit);
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xRes) && TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yRes) &&
        xRes > 0 && yRes > 0 && xRes < 1e6f && yRes < 1e6f) {
      const float f = resUnit == RESUNIT_CENTIMETER ? 2.54f : 1.0f;
      Settings().xDpi = static_cast<int32_t>(xRes * f + 0.5f);
      Settings().yDpi = static_cast<int32_t>(yRes * f + 0.5f);
    }
    if (width == 0 || height == 0 || spp == 0 || bits == 0) throw TiffFail{"Corrupted TIFF file!"};

    const bool colour = (photometric == PHOTOMETRIC_RGB && bits >= 8) || photometric == PHOTOMETRIC_SEPARATED ||
                        photometric == PHOTOMETRIC_YCBCR || photometric == PHOTOMETRIC_LOGL ||
                        photometric == PHOTOMETRIC_LOGLUV;
    const bool bilevel = bits == 1 && spp == 1 &&
                         (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
    const bool direct = !colour && (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK ||
                                    photometric == PHOTOMETRIC_PALETTE) &&
                        (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16) &&
                        spp <= 2 && (spp == 1 || planar == PLANARCONFIG_CONTIG);
    const uint32_t bpp = colour || !direct ? 24 : bilevel ? 1 : bits == 4 ? 4 : 8;
    const bool alpha = spp >= 4 || (spp == 2 && bits == 8 && direct);
    // Refused before the library reads a strip: the picture, and the raster
    // or the sample rows the reading needs on the way.
    if (!WithinMemoryBound(width, height, alpha ? 32 : bpp) ||
        !WithinMemoryBound(width, height, direct ? static_cast<uint32_t>(bits) * spp : 32))
      throw TiffFail{"IMAGE_MAX_MEMORY exceeded"};
    {
      const uint64_t planes = planar == PLANARCONFIG_SEPARATE ? spp : 1;
      const uint64_t decoded = static_cast<uint64_t>(TIFFScanlineSize64(tif)) * height * planes;
      if (decoded == 0 || !StoredDataFits(tif, TiffSize(&src), decoded)) throw TiffFail{"Corrupted TIFF file!"};
    }
    if (Escape()) {
      SetSizeOnly(static_cast<int32_t>(width), static_cast<int32_t>(height));
      throw TiffFail{"output dimensions returned"};
    }
    if (!Create(width, height, bpp, kImageTIFF)) throw TiffFail{"CImageObjectTIF can't create image"};
    if (alpha && !AllocateAlpha()) throw TiffFail{"CImageObjectTIF can't allocate memory"};

    if (!direct) {
      const uint64_t cells = static_cast<uint64_t>(width) * height;
      std::vector<uint32_t> raster;
      try {
        raster.resize(static_cast<size_t>(cells));
      } catch (...) {
        throw TiffFail{"No space for raster buffer"};
      }
      if (!TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_BOTLEFT, 0))
        throw TiffFail{src.message[0] ? src.message : "Corrupted TIFF file!"};
      for (uint32_t y = 0; y < height; ++y) {
        if (Escape()) throw TiffFail{"Cancelled"};
        const uint32_t* in = raster.data() + static_cast<size_t>(width) * y;
        uint8_t* out = Row(static_cast<int32_t>(y));
        uint8_t* a = alpha ? AlphaMask() + static_cast<size_t>(width) * y : nullptr;
        for (uint32_t x = 0; x < width; ++x, out += 3) {
          out[0] = static_cast<uint8_t>(TIFFGetB(in[x]));
          out[1] = static_cast<uint8_t>(TIFFGetG(in[x]));
          out[2] = static_cast<uint8_t>(TIFFGetR(in[x]));
          if (a) a[x] = static_cast<uint8_t>(TIFFGetA(in[x]));
        }
      }
      close();
      return true;
    }

    // Palette or grey: the palette first, then the samples.
    const uint32_t colors = ColorsUsed();
    if (photometric == PHOTOMETRIC_PALETTE) {
      uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
      if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b)
        throw TiffFail{"Unable to allocate TIFF palette"};
      const uint32_t n = 1u << (bits > 8 ? 8 : bits);
      // Some writers store 8-bit entries; 16-bit ones have large values.
      bool eight = true;
      for (uint32_t i = 0; i < n; ++i) eight = eight && r[i] < 256 && g[i] < 256 && b[i] < 256;
      // Scaled as the library's own RGBA reader scales them.
      auto level = [eight](uint16_t v) { return static_cast<uint8_t>(eight ? v : v * 255u / 65535u); };
      for (uint32_t i = 0; i < n && i < colors; ++i)
        SetPaletteColor(static_cast<uint8_t>(i), level(r[i]), level(g[i]), level(b[i]));
    } else {
      // Samples of 2 bits land in an 8-bit picture: their own four greys.
      const uint32_t levels = bits == 2 ? 4 : colors;
      for (uint32_t i = 0; i < levels; ++i) {
        uint8_t v = static_cast<uint8_t>(i * (255 / (levels - 1)));
        if (photometric == PHOTOMETRIC_MINISWHITE) v = static_cast<uint8_t>(255 - v);
        SetPaletteColor(static_cast<uint8_t>(i), v, v, v);
      }
    }

    const uint64_t lineBytes = static_cast<uint64_t>(TIFFScanlineSize64(tif));
    const uint64_t needLine = (static_cast<uint64_t>(width) * bits * spp + 7) / 8;
    if (lineBytes < needLine || lineBytes == 0) throw TiffFail{"Corrupted TIFF file!"};
    std::vector<uint8_t> samples;
    try {
      samples.assign(static_cast<size_t>(lineBytes * height), 0);
    } catch (...) {
      throw TiffFail{"CImageObjectTIF can't allocate memory"};
    }
    if (TIFFIsTiled(tif)) {
      uint32_t tw = 0, th = 0;
      TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
      TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
      const uint64_t tileBytes = static_cast<uint64_t>(TIFFTileSize64(tif));
      const uint64_t tileRow = (static_cast<uint64_t>(tw) * bits * spp + 7) / 8;
      if (tw == 0 || th == 0 || tileBytes < tileRow * th || tw % 8 != 0)
        throw TiffFail{"Corrupted tiled TIFF file!"};
      std::vector<uint8_t> tile(static_cast<size_t>(tileBytes));
      for (uint32_t ty = 0; ty < height; ty += th) {
        if (Escape()) throw TiffFail{"Cancelled"};
        for (uint32_t tx = 0; tx < width; tx += tw) {
          if (TIFFReadTile(tif, tile.data(), tx, ty, 0, 0) < 0) throw TiffFail{"Corrupted tiled TIFF file!"};
          // Tile widths are multiples of 16 pixels, so a tile column starts on a byte.
          const uint64_t offset = static_cast<uint64_t>(tx) * bits * spp / 8;
          const uint64_t copy = offset + tileRow <= lineBytes ? tileRow : lineBytes - offset;
          for (uint32_t y = 0; y < th && ty + y < height; ++y)
            memcpy(samples.data() + (ty + y) * lineBytes + offset, tile.data() + y * tileRow, static_cast<size_t>(copy));
        }
      }
    } else {
      uint32_t rowsPerStrip = height;
      TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
      if (rowsPerStrip == 0 || rowsPerStrip > height) rowsPerStrip = height;
      const uint32_t strips = TIFFNumberOfStrips(tif);
      for (uint32_t strip = 0; strip < strips; ++strip) {
        const uint64_t firstRow = static_cast<uint64_t>(strip) * rowsPerStrip;
        if (firstRow >= height) break;
        if (Escape()) throw TiffFail{"Cancelled"};
        const uint64_t rowsHere = height - firstRow < rowsPerStrip ? height - firstRow : rowsPerStrip;
        if (TIFFReadEncodedStrip(tif, strip, samples.data() + firstRow * lineBytes,
                                 static_cast<tmsize_t>(rowsHere * lineBytes)) < 0)
          throw TiffFail{"Corrupted TIFF file!"};
      }
    }
    close();

    for (uint32_t y = 0; y < height; ++y) {
      const uint8_t* in = samples.data() + static_cast<size_t>(lineBytes) * y;
      const int32_t memoryRow = static_cast<int32_t>(height - 1 - y);
      uint8_t* out = Row(memoryRow);
      uint8_t* a = alpha ? AlphaMask() + static_cast<size_t>(width) * memoryRow : nullptr;
      if (bpp == 1 || (bpp == 4 && spp == 1) || (bpp == 8 && bits == 8 && spp == 1)) {
        memcpy(out, in, static_cast<size_t>(needLine));
        continue;
      }
      for (uint32_t x = 0; x < width; ++x) {
        uint32_t v;
        const uint64_t index = static_cast<uint64_t>(x) * spp;
        v = Sample(in, index, bits);
        if (bpp == 4) {
          if (x % 2 == 0) out[x / 2] = static_cast<uint8_t>(v << 4);
          else out[x / 2] = static_cast<uint8_t>(out[x / 2] | v);
        } else {
          out[x] = static_cast<uint8_t>(v);
        }
        if (a) a[x] = static_cast<uint8_t>(Sample(in, index + 1, bits));
      }
    }
    return true;
  } catch (const TiffFail& fail) {
    // The text may be the library's own, held in src; copy it before use.
    char text[256];
    CopyMessage(text, sizeof text, fail.text);
    close();
    if (strcmp(text, "output dimensions returned") != 0) Release();
    SetLastError(text);
    return false;
  }
}
