// TIFF through libtiff: a directory per frame; colour pictures through the
// library's RGBA reader, bi-level, grey and palette pictures from their
// strips or tiles.
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"

namespace {

struct TiffSource {
    CImageStream* stream;
    int64_t start;
    char message[256];
};

tmsize_t TiffRead(thandle_t h, void* buffer, tmsize_t n)
{
    TiffSource* src = static_cast<TiffSource*>(h);
    if (n <= 0)
        return 0;
    return static_cast<tmsize_t>(src->stream->Read(buffer, 1, static_cast<size_t>(n)));
}
tmsize_t TiffWrite(thandle_t, void*, tmsize_t)
{
    return -1;
}
toff_t TiffSeek(thandle_t h, toff_t offset, int whence)
{
    TiffSource* src = static_cast<TiffSource*>(h);
    if (offset > static_cast<toff_t>(INT64_MAX / 2))
        return static_cast<toff_t>(-1);
    int64_t target = static_cast<int64_t>(offset);
    if (whence == SEEK_SET)
        target += src->start;
    if (!src->stream->Seek(target, whence))
        return static_cast<toff_t>(-1);
    return static_cast<toff_t>(src->stream->Tell() - src->start);
}
int TiffClose(thandle_t)
{
    return 0;
}
toff_t TiffSize(thandle_t h)
{
    TiffSource* src = static_cast<TiffSource*>(h);
    int64_t size = src->stream->Size() - src->start;
    return static_cast<toff_t>(size > 0 ? size : 0);
}
int TiffMap(thandle_t, void**, toff_t*)
{
    return 0;
}
void TiffUnmap(thandle_t, void*, toff_t) {}

// The first error of a decode is the one worth keeping.
int TiffErrorHandler(TIFF*, void* user, const char* module, const char* fmt, va_list ap)
{
    TiffSource* src = static_cast<TiffSource*>(user);
    if (src->message[0])
        return 1;
    char text[512];
    vsnprintf(text, sizeof text, fmt, ap);
    char full[600];
    snprintf(full, sizeof full, "%s%s%s", module ? module : "", module ? ": " : "", text);
    CopyMessage(src->message, sizeof src->message, full);
    return 1;
}
int TiffWarningHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

uint32_t Sample(const uint8_t* row, uint64_t index, uint16_t bits)
{
    switch (bits) {
    case 8:
        return row[index];
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
bool StoredDataFits(TIFF* tif, uint64_t fileSize, uint64_t decodedBytes)
{
    const uint32_t count = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    // Each one takes at least its offset in the file.
    if (count == 0 || count > fileSize / 4 + 1)
        return false;
    uint64_t stored = 0;
    for (uint32_t i = 0; i < count; ++i) {
        int err = 0;
        const uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &err);
        const uint64_t bytes = TIFFGetStrileByteCountWithErr(tif, i, &err);
        if (err || offset > fileSize || bytes > fileSize - offset)
            return false;
        stored += bytes;  // at most count times the file size: no overflow
    }
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const uint64_t ratio = compression == COMPRESSION_NONE ? 1 : kMaxExpansion;
    return (decodedBytes + ratio - 1) / ratio <= stored;
}

// The first bytes of a TIFF or a BigTIFF file, in either byte order.
bool HasTiffSignature(TiffSource& src)
{
    uint8_t b[4];
    if (!src.stream->Seek(src.start, CImageStream::kSet) || !src.stream->ReadAll(b, sizeof b))
        return false;
    return (b[0] == 'I' && b[1] == 'I' && (b[2] == 42 || b[2] == 43) && b[3] == 0) ||
           (b[0] == 'M' && b[1] == 'M' && b[2] == 0 && (b[3] == 42 || b[3] == 43));
}

TIFF* OpenTiff(TiffSource& src)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        throw DecodeFailure{ DecodeStatus::kTooLarge, "Error encountered while opening TIFF file" };
    TIFFOpenOptionsSetErrorHandlerExtR(options, TiffErrorHandler, &src);
    TIFFOpenOptionsSetWarningHandlerExtR(options, TiffWarningHandler, &src);
    // Strip and tile buffers of hostile files stay within what a picture of
    // the bound could need.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(256) << 20);
    TIFF* tif = TIFFClientOpenExt("stream", "rm", &src, TiffRead, TiffWrite, TiffSeek, TiffClose,
                                  TiffSize, TiffMap, TiffUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tif) {
        const DecodeStatus status =
            HasTiffSignature(src) ? DecodeStatus::kCorrupt : DecodeStatus::kUnsupported;
        throw DecodeFailure{ status, "Error encountered while opening TIFF file" };
    }
    return tif;
}

// Makes the requested frame's directory the current one.
void SelectFrame(TIFF* tif, ImageSettings& settings)
{
    // Counting directories walks the chain; the library stops at loops.
    const tdir_t count = TIFFNumberOfDirectories(tif);
    settings.frameCount = static_cast<int32_t>(count);
    const int32_t frame = settings.frame;
    if (frame < 0 || static_cast<uint32_t>(frame) >= count ||
        !TIFFSetDirectory(tif, static_cast<tdir_t>(frame)))
        throw DecodeFailure{ DecodeStatus::kNoFrame, "Error: page not present in TIFF file" };
}

// What the directory makes of the picture, and which way it is read.
struct TiffLayout {
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, spp = 1;
    uint16_t photometric = PHOTOMETRIC_MINISWHITE, planar = PLANARCONFIG_CONTIG;
    // Bi-level, grey and palette pictures are read from their samples, the
    // rest through the library's RGBA reader.
    bool direct = false;
    bool alpha = false;
    uint32_t bpp = 24;
};

void ReadResolution(TIFF* tif, ImageSettings& settings)
{
    uint16_t resUnit = RESUNIT_INCH;
    float xRes = 0, yRes = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &resUnit);
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xRes) &&
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yRes) && xRes > 0 && yRes > 0 && xRes < 1e6f &&
        yRes < 1e6f) {
        const float f = resUnit == RESUNIT_CENTIMETER ? 2.54f : 1.0f;
        settings.xDpi = static_cast<int32_t>(xRes * f + 0.5f);
        settings.yDpi = static_cast<int32_t>(yRes * f + 0.5f);
    }
}

TiffLayout ReadLayout(TIFF* tif, ImageSettings& settings)
{
    TiffLayout l;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
        l.photometric = l.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    ReadResolution(tif, settings);
    if (l.width == 0 || l.height == 0 || l.spp == 0 || l.bits == 0)
        throw DecodeFailure{ DecodeStatus::kCorrupt, "Corrupted TIFF file!" };

    const uint16_t p = l.photometric, bits = l.bits, spp = l.spp;
    const bool colour = (p == PHOTOMETRIC_RGB && bits >= 8) || p == PHOTOMETRIC_SEPARATED ||
                        p == PHOTOMETRIC_YCBCR || p == PHOTOMETRIC_LOGL || p == PHOTOMETRIC_LOGLUV;
    const bool grey = p == PHOTOMETRIC_MINISWHITE || p == PHOTOMETRIC_MINISBLACK;
    const bool bilevel = bits == 1 && spp == 1 && grey;
    l.direct = !colour && (grey || p == PHOTOMETRIC_PALETTE) &&
               (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16) && spp <= 2 &&
               (spp == 1 || l.planar == PLANARCONFIG_CONTIG);
    l.bpp = !l.direct ? 24 : bilevel ? 1 : bits == 4 ? 4 : 8;
    l.alpha = spp >= 4 || (spp == 2 && bits == 8 && l.direct);
    return l;
}

// Refused before the library reads a strip: the picture, the raster or the
// sample rows the reading needs on the way, and strips the file cannot hold.
void CheckLayoutFits(TIFF* tif, TiffSource& src, const TiffLayout& l)
{
    if (!CImageObject::WithinMemoryBound(l.width, l.height, l.alpha ? 32 : l.bpp) ||
        !CImageObject::WithinMemoryBound(l.width, l.height,
                                         l.direct ? static_cast<uint32_t>(l.bits) * l.spp : 32))
        throw DecodeFailure{ DecodeStatus::kTooLarge, "IMAGE_MAX_MEMORY exceeded" };
    const uint64_t planes = l.planar == PLANARCONFIG_SEPARATE ? l.spp : 1;
    const uint64_t decoded = static_cast<uint64_t>(TIFFScanlineSize64(tif)) * l.height * planes;
    if (decoded == 0 || !StoredDataFits(tif, TiffSize(&src), decoded))
        throw DecodeFailure{ DecodeStatus::kCorrupt, "Corrupted TIFF file!" };
}

// Colour pictures: the library's RGBA raster, turned into rows and alpha.
void ReadThroughRgba(TIFF* tif, const TiffLayout& l, TiffSource& src, CImageObject& image)
{
    const uint64_t cells = static_cast<uint64_t>(l.width) * l.height;
    std::vector<uint32_t> raster;
    try {
        raster.resize(static_cast<size_t>(cells));
    } catch (...) {
        throw DecodeFailure{ DecodeStatus::kTooLarge, "No space for raster buffer" };
    }
    if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.data(), ORIENTATION_BOTLEFT, 0)) {
        // The reader's own check tells a kind it cannot handle from damage.
        char why[1024];
        const DecodeStatus status =
            TIFFRGBAImageOK(tif, why) ? DecodeStatus::kCorrupt : DecodeStatus::kUnsupported;
        throw DecodeFailure{ status, src.message[0] ? src.message : "Corrupted TIFF file!" };
    }
    for (uint32_t y = 0; y < l.height; ++y) {
        if (image.Escape())
            throw DecodeFailure{ DecodeStatus::kCancelled, "Cancelled" };
        const uint32_t* in = raster.data() + static_cast<size_t>(l.width) * y;
        uint8_t* out = image.Row(static_cast<int32_t>(y));
        uint8_t* a = l.alpha ? image.AlphaMask() + static_cast<size_t>(l.width) * y : nullptr;
        for (uint32_t x = 0; x < l.width; ++x, out += 3) {
            out[0] = static_cast<uint8_t>(TIFFGetB(in[x]));
            out[1] = static_cast<uint8_t>(TIFFGetG(in[x]));
            out[2] = static_cast<uint8_t>(TIFFGetR(in[x]));
            if (a)
                a[x] = static_cast<uint8_t>(TIFFGetA(in[x]));
        }
    }
}

// Palette or grey levels, before the samples.
void SetLevels(TIFF* tif, const TiffLayout& l, CImageObject& image)
{
    const uint32_t colors = image.ColorsUsed();
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b)
            throw DecodeFailure{ DecodeStatus::kCorrupt, "Unable to allocate TIFF palette" };
        const uint32_t n = 1u << (l.bits > 8 ? 8 : l.bits);
        // Some writers store 8-bit entries; 16-bit ones have large values.
        bool eight = true;
        for (uint32_t i = 0; i < n; ++i)
            eight = eight && r[i] < 256 && g[i] < 256 && b[i] < 256;
        // Scaled as the library's own RGBA reader scales them.
        auto level = [eight](uint16_t v) {
            return static_cast<uint8_t>(eight ? v : v * 255u / 65535u);
        };
        for (uint32_t i = 0; i < n && i < colors; ++i)
            image.SetPaletteColor(static_cast<uint8_t>(i), level(r[i]), level(g[i]), level(b[i]));
        return;
    }
    // Samples of 2 bits land in an 8-bit picture: their own four greys.
    const uint32_t levels = l.bits == 2 ? 4 : colors;
    for (uint32_t i = 0; i < levels; ++i) {
        uint8_t v = static_cast<uint8_t>(i * (255 / (levels - 1)));
        if (l.photometric == PHOTOMETRIC_MINISWHITE)
            v = static_cast<uint8_t>(255 - v);
        image.SetPaletteColor(static_cast<uint8_t>(i), v, v, v);
    }
}

// The decoded samples of every row, top row first.
struct TiffSamples {
    std::vector<uint8_t> bytes;
    uint64_t lineBytes = 0;
    uint64_t needLine = 0;  // the bytes of a row's own samples
};

std::vector<uint8_t> ZeroedBytes(uint64_t n, const char* text)
{
    std::vector<uint8_t> bytes;
    try {
        bytes.assign(static_cast<size_t>(n), 0);
    } catch (...) {
        throw DecodeFailure{ DecodeStatus::kTooLarge, text };
    }
    return bytes;
}

void ReadTiles(TIFF* tif, const TiffLayout& l, CImageObject& image, TiffSamples& samples)
{
    uint32_t tw = 0, th = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
    const uint64_t tileBytes = static_cast<uint64_t>(TIFFTileSize64(tif));
    const uint64_t tileRow = (static_cast<uint64_t>(tw) * l.bits * l.spp + 7) / 8;
    if (tw == 0 || th == 0 || tileBytes < tileRow * th || tw % 8 != 0)
        throw DecodeFailure{ DecodeStatus::kCorrupt, "Corrupted tiled TIFF file!" };
    std::vector<uint8_t> tile = ZeroedBytes(tileBytes, "CImageObjectTIF can't allocate memory");
    const uint64_t lineBytes = samples.lineBytes;
    for (uint32_t ty = 0; ty < l.height; ty += th) {
        if (image.Escape())
            throw DecodeFailure{ DecodeStatus::kCancelled, "Cancelled" };
        for (uint32_t tx = 0; tx < l.width; tx += tw) {
            if (TIFFReadTile(tif, tile.data(), tx, ty, 0, 0) < 0)
                throw DecodeFailure{ DecodeStatus::kCorrupt, "Corrupted tiled TIFF file!" };
            // Tile widths are multiples of 16 pixels, so a tile column starts on a byte.
            const uint64_t offset = static_cast<uint64_t>(tx) * l.bits * l.spp / 8;
            const uint64_t copy = offset + tileRow <= lineBytes ? tileRow : lineBytes - offset;
            for (uint32_t y = 0; y < th && ty + y < l.height; ++y)
                memcpy(samples.bytes.data() + (ty + y) * lineBytes + offset,
                       tile.data() + y * tileRow, static_cast<size_t>(copy));
        }
    }
}

void ReadStrips(TIFF* tif, const TiffLayout& l, CImageObject& image, TiffSamples& samples)
{
    uint32_t rowsPerStrip = l.height;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0 || rowsPerStrip > l.height)
        rowsPerStrip = l.height;
    const uint32_t strips = TIFFNumberOfStrips(tif);
    for (uint32_t strip = 0; strip < strips; ++strip) {
        const uint64_t firstRow = static_cast<uint64_t>(strip) * rowsPerStrip;
        if (firstRow >= l.height)
            break;
        if (image.Escape())
            throw DecodeFailure{ DecodeStatus::kCancelled, "Cancelled" };
        const uint64_t rowsHere =
            l.height - firstRow < rowsPerStrip ? l.height - firstRow : rowsPerStrip;
        if (TIFFReadEncodedStrip(tif, strip, samples.bytes.data() + firstRow * samples.lineBytes,
                                 static_cast<tmsize_t>(rowsHere * samples.lineBytes)) < 0)
            throw DecodeFailure{ DecodeStatus::kCorrupt, "Corrupted TIFF file!" };
    }
}

TiffSamples ReadSamples(TIFF* tif, const TiffLayout& l, CImageObject& image)
{
    TiffSamples samples;
    samples.lineBytes = static_cast<uint64_t>(TIFFScanlineSize64(tif));
    samples.needLine = (static_cast<uint64_t>(l.width) * l.bits * l.spp + 7) / 8;
    if (samples.lineBytes < samples.needLine || samples.lineBytes == 0)
        throw DecodeFailure{ DecodeStatus::kCorrupt, "Corrupted TIFF file!" };
    samples.bytes =
        ZeroedBytes(samples.lineBytes * l.height, "CImageObjectTIF can't allocate memory");
    if (TIFFIsTiled(tif))
        ReadTiles(tif, l, image, samples);
    else
        ReadStrips(tif, l, image, samples);
    return samples;
}

// The samples into the picture's rows, bottom row first, and the alpha mask.
void StoreSamples(const TiffSamples& samples, const TiffLayout& l, CImageObject& image)
{
    const uint32_t bpp = l.bpp, bits = l.bits, spp = l.spp;
    const bool copies = bpp == 1 || (bpp == 4 && spp == 1) || (bpp == 8 && bits == 8 && spp == 1);
    for (uint32_t y = 0; y < l.height; ++y) {
        const uint8_t* in = samples.bytes.data() + static_cast<size_t>(samples.lineBytes) * y;
        const int32_t memoryRow = static_cast<int32_t>(l.height - 1 - y);
        uint8_t* out = image.Row(memoryRow);
        uint8_t* a =
            l.alpha ? image.AlphaMask() + static_cast<size_t>(l.width) * memoryRow : nullptr;
        if (copies) {
            memcpy(out, in, static_cast<size_t>(samples.needLine));
            continue;
        }
        for (uint32_t x = 0; x < l.width; ++x) {
            const uint64_t index = static_cast<uint64_t>(x) * spp;
            const uint32_t v = Sample(in, index, bits);
            if (bpp == 4) {
                if (x % 2 == 0)
                    out[x / 2] = static_cast<uint8_t>(v << 4);
                else
                    out[x / 2] = static_cast<uint8_t>(out[x / 2] | v);
            } else {
                out[x] = static_cast<uint8_t>(v);
            }
            if (a)
                a[x] = static_cast<uint8_t>(Sample(in, index + 1, bits));
        }
    }
}

}  // namespace

CImageObjectTIF::~CImageObjectTIF()
{
    if (m_tiff)
        TIFFClose(static_cast<TIFF*>(m_tiff));
}

bool CImageObjectTIF::Decode(CImageStream& s)
{
    TiffSource src;
    src.stream = &s;
    src.start = s.Tell();
    src.message[0] = 0;
    auto close = [&]() {
        if (m_tiff)
            TIFFClose(static_cast<TIFF*>(m_tiff));
        m_tiff = nullptr;
    };
    try {
        TIFF* tif = OpenTiff(src);
        m_tiff = tif;
        SelectFrame(tif, Settings());
        const TiffLayout layout = ReadLayout(tif, Settings());
        CheckLayoutFits(tif, src, layout);
        if (Escape()) {
            SetSizeOnly(static_cast<int32_t>(layout.width), static_cast<int32_t>(layout.height));
            throw DecodeFailure{ DecodeStatus::kSizeOnly, "output dimensions returned" };
        }
        if (!Create(layout.width, layout.height, layout.bpp, kImageTIFF))
            throw DecodeFailure{ Status(), "CImageObjectTIF can't create image" };
        if (layout.alpha && !AllocateAlpha())
            throw DecodeFailure{ DecodeStatus::kTooLarge, "CImageObjectTIF can't allocate memory" };
        if (!layout.direct) {
            ReadThroughRgba(tif, layout, src, *this);
            close();
            return true;
        }
        SetLevels(tif, layout, *this);
        const TiffSamples samples = ReadSamples(tif, layout, *this);
        close();
        StoreSamples(samples, layout, *this);
        return true;
    } catch (const DecodeFailure& failure) {
        // The text may be the library's own, held in src; copy it before use.
        char text[256];
        CopyMessage(text, sizeof text, failure.text);
        close();
        // A size-only answer keeps the width and height it set.
        if (failure.status != DecodeStatus::kSizeOnly)
            Release();
        return Fail({ failure.status, text });
    }
}
