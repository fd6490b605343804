// JPEG through libjpeg, with a small section walker for the Exif resolution.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"

namespace {

// libjpeg reports through error_exit, which must not return: it jumps back
// into the decoder, which then owns the clean-up.
struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    DecodeStatus status;
    int warnings;
    CImageObject* image;  // whose escape callback the progress monitor asks
};

// Gives up with a text of our own.
[[noreturn]] void Raise(JpegError& e, DecodeStatus status, const char* text)
{
    snprintf(e.message, sizeof e.message, "%s", text);
    e.status = status;
    longjmp(e.jump, 1);
}

DecodeStatus StatusOfLibraryError(int code)
{
    switch (code) {
    case JERR_NO_SOI:
        return DecodeStatus::kUnsupported;  // not a JPEG at all
    case JERR_OUT_OF_MEMORY:
        return DecodeStatus::kTooLarge;
    default:
        return DecodeStatus::kCorrupt;
    }
}

void JpegErrorExit(j_common_ptr cinfo)
{
    JpegError* e = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    e->status = StatusOfLibraryError(cinfo->err->msg_code);
    longjmp(e->jump, 1);
}

// Damaged data raise a warning per broken segment; a file made of nothing
// else would cost a long decode for a picture of noise, so past a bound the
// warnings become the error.
void JpegEmit(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    JpegError* e = reinterpret_cast<JpegError*>(cinfo->err);
    if (++e->warnings > 500) {
        (*cinfo->err->format_message)(cinfo, e->message);
        e->status = DecodeStatus::kCorrupt;
        longjmp(e->jump, 1);
    }
}

// A progressive file can repeat scans without limit; real encoders use a
// dozen or so.
void JpegProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
    JpegError* e = reinterpret_cast<JpegError*>(cinfo->err);
    if (d->input_scan_number > 1000)
        Raise(*e, DecodeStatus::kCorrupt, "too many scans in JPEG file");
    // The monitor runs for every row band read and every scan absorbed, so a
    // caller that asks to stop is answered within one band of a large picture.
    if (e->image->Escape())
        Raise(*e, DecodeStatus::kCancelled, "Cancelled");
}

// The whole file is in memory, so the source hands it over at once and
// answers an end of image marker past the end, as libjpeg's own sources do.
const JOCTET kEndOfImage[2] = { 0xFF, JPEG_EOI };

void SourceInit(j_decompress_ptr) {}
boolean SourceFill(j_decompress_ptr cinfo)
{
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = kEndOfImage;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}
void SourceSkip(j_decompress_ptr cinfo, long n)
{
    if (n <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    while (static_cast<size_t>(n) > src->bytes_in_buffer) {
        n -= static_cast<long>(src->bytes_in_buffer);
        SourceFill(cinfo);
    }
    src->next_input_byte += n;
    src->bytes_in_buffer -= static_cast<size_t>(n);
}
void SourceTerm(j_decompress_ptr) {}

uint16_t Get16(const uint8_t* p, bool motorola)
{
    return motorola ? static_cast<uint16_t>(p[0] << 8 | p[1])
                    : static_cast<uint16_t>(p[1] << 8 | p[0]);
}
uint32_t Get32(const uint8_t* p, bool motorola)
{
    return motorola ? static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]
                    : static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

// Reads the first directory of an Exif block (TIFF layout) for the three
// resolution tags.
bool ParseExif(const uint8_t* b, size_t n, ExifResolution& out, const char** error)
{
    if (n < 8) {
        *error = "Incorrect Exif header";
        return false;
    }
    bool motorola;
    if (b[0] == 'I' && b[1] == 'I') {
        motorola = false;
    } else if (b[0] == 'M' && b[1] == 'M') {
        motorola = true;
    } else {
        *error = "Invalid Exif alignment marker.";
        return false;
    }
    if (Get16(b + 2, motorola) != 0x2A) {
        *error = "Invalid Exif start (1)";
        return false;
    }
    const uint32_t dir = Get32(b + 4, motorola);
    if (dir < 8 || dir > n - 2) {
        *error = "Illegal subdirectory link";
        return false;
    }
    const uint32_t entries = Get16(b + dir, motorola);
    if (static_cast<uint64_t>(dir) + 2 + 12ull * entries > n) {
        *error = "Illegally sized directory";
        return false;
    }
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* e = b + dir + 2 + 12 * i;
        const uint16_t tag = Get16(e, motorola), format = Get16(e + 2, motorola);
        if (format == 0 || format > 12) {
            *error = "Illegal format code in EXIF dir";
            return false;
        }
        if (tag == 0x011A || tag == 0x011B) {
            if (format != 5 && format != 10)
                continue;  // a resolution is a rational
            const uint32_t at = Get32(e + 8, motorola);
            if (at > n || n - at < 8) {
                *error = "Illegal pointer offset value in EXIF.";
                return false;
            }
            const uint32_t num = Get32(b + at, motorola), den = Get32(b + at + 4, motorola);
            const double value = den ? static_cast<double>(num) / den : 0;
            (tag == 0x011A ? out.x : out.y) = value;
            out.found = true;
        } else if (tag == 0x0128 && format == 3) {
            out.unit = Get16(e + 8, motorola);
        }
    }
    return true;
}

int32_t Rounded(double v)
{
    if (!(v > 0) || v > 1e6)
        return 0;
    return static_cast<int32_t>(v + 0.5);
}

}  // namespace

bool CImageObjectJPG::ReadExif(const uint8_t* data, size_t size, ExifResolution& out,
                               const char** error)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        *error = "No image in jpeg!\n";
        return false;
    }
    size_t pos = 2;
    int sections = 0;
    for (;;) {
        int padding = 0;
        while (pos < size && data[pos] == 0xFF && pos + 1 < size && data[pos + 1] == 0xFF) {
            ++pos;
            if (++padding > 10) {
                *error = "too many padding bytes!";
                return false;
            }
        }
        if (pos + 4 > size) {
            *error = "Premature end of file?";
            return false;
        }
        if (data[pos] != 0xFF) {
            *error = "invalid marker";
            return false;
        }
        const uint8_t marker = data[pos + 1];
        if (marker == 0xDA || marker == 0xD9)
            return true;  // the scan: no sections after it matter
        if (++sections > 40) {
            *error = "Too many sections in jpg file";
            return false;
        }
        const size_t length = static_cast<size_t>(data[pos + 2]) << 8 | data[pos + 3];
        if (length < 2 || length > size - pos - 2) {
            *error = "Premature end of file?";
            return false;
        }
        const uint8_t* body = data + pos + 4;
        const size_t bodySize = length - 2;
        if (marker == 0xE1 && !out.found && bodySize >= 6 && memcmp(body, "Exif\0\0", 6) == 0)
            if (!ParseExif(body + 6, bodySize - 6, out, error))
                return false;
        pos += 2 + length;
    }
}

namespace {

// The largest of libjpeg's scales (1/8, 1/4, 1/2) whose output keeps at
// least edge pixels on the longer side, which is the side a picture larger
// than the tile is fitted by; 1 when no scale does.
uint8_t ScaleForEdge(uint32_t width, uint32_t height, uint32_t edge)
{
    const uint64_t longer = width > height ? width : height;
    for (uint8_t denominator = 8; denominator > 1; denominator /= 2)
        if ((longer + denominator - 1) / denominator >= edge)
            return denominator;
    return 1;
}

// Grey and colour scan lines go straight into the picture's rows, bottom row
// last, a band at a time.
// A file of several scans is held whole as 16-bit coefficients until its
// last scan: 128 bytes per 8x8 block of every component, in whole MCUs.
uint64_t CoefficientBytes(jpeg_decompress_struct& cinfo)
{
    if (!jpeg_has_multiple_scans(&cinfo))
        return 0;
    uint64_t bytes = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info& c = cinfo.comp_info[i];
        const uint64_t h = static_cast<uint64_t>(c.h_samp_factor),
                       v = static_cast<uint64_t>(c.v_samp_factor);
        bytes += (c.width_in_blocks + h - 1) / h * h * ((c.height_in_blocks + v - 1) / v * v) * 128;
    }
    return bytes;
}

void ReadRowsInPlace(jpeg_decompress_struct& cinfo, CImageObject& image)
{
    const uint32_t height = cinfo.output_height;
    JSAMPROW band[16];
    while (cinfo.output_scanline < height) {
        const uint32_t first = cinfo.output_scanline;
        uint32_t rows = height - first < 16 ? height - first : 16;
        for (uint32_t i = 0; i < rows; ++i)
            band[i] = image.Row(static_cast<int32_t>(height - 1 - first - i));
        if (jpeg_read_scanlines(&cinfo, band, rows) == 0)
            break;
    }
}

// CMYK as stored (Adobe's inverted form): each channel times black.
void ReadCmykRows(jpeg_decompress_struct& cinfo, CImageObject& image)
{
    const uint32_t width = cinfo.output_width, height = cinfo.output_height;
    // From the library's own pool: an error leaves this function by longjmp,
    // which would skip a C++ buffer's destructor; the pool goes with the
    // decompressor.
    JSAMPARRAY rows = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                 JPOOL_IMAGE, width * 4, 1);
    const JSAMPLE* line = rows[0];
    while (cinfo.output_scanline < height) {
        uint8_t* out = image.Row(static_cast<int32_t>(height - 1 - cinfo.output_scanline));
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1)
            break;
        const uint8_t* in = line;
        for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
            const unsigned k = in[3];
            out[0] = static_cast<uint8_t>(in[2] * k / 255);
            out[1] = static_cast<uint8_t>(in[1] * k / 255);
            out[2] = static_cast<uint8_t>(in[0] * k / 255);
        }
    }
}

}  // namespace

bool CImageObjectJPG::Decode(CImageStream& s)
{
    std::vector<uint8_t> data;
    if (!ReadRest(s, data))
        return Fail({ DecodeStatus::kUnreadable, "could not read the rest of the image" });
    if (data.size() < 2)
        return Fail({ DecodeStatus::kUnsupported, "could not read the rest of the image" });
    // The Exif reader only supplies the resolution: a broken block leaves its
    // text but not the picture.
    ExifResolution exif;
    const char* exifError = nullptr;
    if (!ReadExif(data.data(), data.size(), exif, &exifError) && data[0] == 0xFF && data[1] == 0xD8)
        SetLastError(exifError);

    jpeg_decompress_struct cinfo;
    JpegError err;
    jpeg_source_mgr src;
    jpeg_progress_mgr progress;
    memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegErrorExit;
    err.mgr.emit_message = JpegEmit;
    err.message[0] = 0;
    err.status = DecodeStatus::kCorrupt;
    err.warnings = 0;
    err.image = this;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        Release();
        return Fail({ err.status, err.message });
    }
    jpeg_create_decompress(&cinfo);
    src.init_source = SourceInit;
    src.fill_input_buffer = SourceFill;
    src.skip_input_data = SourceSkip;
    src.resync_to_restart = jpeg_resync_to_restart;
    src.term_source = SourceTerm;
    src.next_input_byte = data.data();
    src.bytes_in_buffer = data.size();
    cinfo.src = &src;
    progress.progress_monitor = JpegProgress;
    cinfo.progress = &progress;
    jpeg_read_header(&cinfo, TRUE);

    const int components = cinfo.num_components;
    uint32_t bpp;
    if (components == 1) {
        cinfo.out_color_space = JCS_GRAYSCALE;
        bpp = 8;
    } else if (components == 3) {
        // The library writes blue, green, red: the rows' own order.
        cinfo.out_color_space = JCS_EXT_BGR;
        bpp = 24;
    } else if (components == 4) {
        cinfo.out_color_space = JCS_CMYK;
        bpp = 24;
    } else {
        char text[64];
        snprintf(text, sizeof text, "Unsupported JPEG with %d components", components);
        Raise(err, DecodeStatus::kUnsupported, text);
    }
    if (Settings().jpegFitEdge) {
        Settings().jpegScale =
            ScaleForEdge(cinfo.image_width, cinfo.image_height, Settings().jpegFitEdge);
        Settings().sourceWidth = static_cast<int32_t>(cinfo.image_width);
        Settings().sourceHeight = static_cast<int32_t>(cinfo.image_height);
    }
    if (Settings().jpegScale > 1) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = Settings().jpegScale;
    }
    jpeg_calc_output_dimensions(&cinfo);
    // The bound holds for the library too: a progressive file keeps 16-bit
    // coefficients of every component for the whole picture.
    if (!WithinMemoryBound(cinfo.output_width, cinfo.output_height, bpp) ||
        !WithinMemoryBound(cinfo.image_width, cinfo.image_height,
                           16u * static_cast<uint32_t>(components)))
        Raise(err, DecodeStatus::kTooLarge, "IMAGE_MAX_MEMORY exceeded");
    // The pixels' own share of the budget is Create's to check.
    const uint64_t budget = Settings().memoryBudget;
    if (budget && CoefficientBytes(cinfo) > budget)
        Raise(err, DecodeStatus::kTooLarge, "the picture exceeds the memory budget");

    if (exif.found && exif.x > 0 && exif.y > 0) {
        const double f = exif.unit == 3 ? 2.54 : 1.0;
        Settings().xDpi = Rounded(exif.x * f);
        Settings().yDpi = Rounded(exif.y * f);
    } else if (cinfo.saw_JFIF_marker && cinfo.X_density && cinfo.Y_density) {
        if (cinfo.density_unit == 2) {
            Settings().xDpi = Rounded(cinfo.X_density * 2.54);
            Settings().yDpi = Rounded(cinfo.Y_density * 2.54);
        } else {
            Settings().xDpi = cinfo.X_density;
            Settings().yDpi = cinfo.Y_density;
        }
    }

    jpeg_start_decompress(&cinfo);
    const uint32_t width = cinfo.output_width, height = cinfo.output_height;
    if (!Create(width, height, bpp, kImageJPEG))
        Raise(err, Status(), LastError());
    if (bpp == 8)
        SetGreyPalette();
    if (components == 4)
        ReadCmykRows(cinfo, *this);
    else
        ReadRowsInPlace(cinfo, *this);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}
