// JPEG 2000 through OpenJPEG: the whole file in memory; three or more
// components of equal sampling as colour (a fourth as alpha), otherwise one
// component as grey. Every sample is scaled by its precision to 8 bits.
#include <openjpeg.h>

#include <cstring>
#include <vector>

#include "images/codec/decode_util.h"
#include "images/codec/image_decoders.h"
#include "images/codec/image_openjpeg.h"

namespace {

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

OPJ_SIZE_T SourceRead(void* buffer, OPJ_SIZE_T n, void* user)
{
    MemorySource* m = static_cast<MemorySource*>(user);
    if (m->pos >= m->size)
        return static_cast<OPJ_SIZE_T>(-1);
    const size_t take = n < m->size - m->pos ? n : m->size - m->pos;
    memcpy(buffer, m->data + m->pos, take);
    m->pos += take;
    return take;
}
OPJ_OFF_T SourceSkip(OPJ_OFF_T n, void* user)
{
    MemorySource* m = static_cast<MemorySource*>(user);
    if (n < 0) {
        if (static_cast<uint64_t>(-n) > m->pos)
            return -1;
        m->pos -= static_cast<size_t>(-n);
        return n;
    }
    const size_t left = m->size - m->pos;
    const size_t take = static_cast<uint64_t>(n) < left ? static_cast<size_t>(n) : left;
    m->pos += take;
    return static_cast<OPJ_OFF_T>(take);
}
OPJ_BOOL SourceSeek(OPJ_OFF_T to, void* user)
{
    MemorySource* m = static_cast<MemorySource*>(user);
    if (to < 0 || static_cast<uint64_t>(to) > m->size)
        return OPJ_FALSE;
    m->pos = static_cast<size_t>(to);
    return OPJ_TRUE;
}

struct Messages {
    char* text;
    size_t size;
};

void OnError(const char* msg, void* user)
{
    Messages* m = static_cast<Messages*>(user);
    if (m->text[0])
        return;  // the first is the cause
    CopyMessage(m->text, m->size, msg);
    // The library ends its messages with a line break.
    size_t n = strlen(m->text);
    while (n && (m->text[n - 1] == '\n' || m->text[n - 1] == '\r'))
        m->text[--n] = 0;
}
void OnQuiet(const char*, void*) {}

bool SameSampling(const opj_image_comp_t& a, const opj_image_comp_t& b)
{
    return a.dx == b.dx && a.dy == b.dy && a.w == b.w && a.h == b.h;
}

// Signed samples are centred on the middle of their range.
uint8_t Sample8(const opj_image_comp_t& c, size_t at)
{
    const int precision = c.prec >= 1 && c.prec <= 31 ? static_cast<int>(c.prec) : 8;
    int64_t v = c.data[at];
    if (c.sgnd)
        v += int64_t{ 1 } << (precision - 1);
    const int64_t top = (int64_t{ 1 } << precision) - 1;
    return SampleTo8(static_cast<uint32_t>(v < 0 ? 0 : v > top ? top : v), precision);
}

}  // namespace

bool IsJp2File(const uint8_t* d, size_t n)
{
    static const uint8_t kBox[12] = { 0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A };
    return n >= 12 && memcmp(d, kBox, 12) == 0;
}

bool IsJ2kStream(const uint8_t* d, size_t n)
{
    return n >= 4 && d[0] == 0xFF && d[1] == 0x4F && d[2] == 0xFF && d[3] == 0x51;
}

opj_image* DecodeJpeg2000(const uint8_t* data, size_t size, DecodeStatus& status, char* message,
                          size_t messageSize)
{
    message[0] = 0;
    status = DecodeStatus::kUnsupported;
    const bool jp2 = IsJp2File(data, size);
    // Anything else would only reach the library to be refused there.
    if (!jp2 && !IsJ2kStream(data, size))
        return nullptr;
    status = DecodeStatus::kCorrupt;
    MemorySource source{ data, size, 0 };
    Messages messages{ message, messageSize };
    opj_codec_t* codec = opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    if (!codec)
        return nullptr;
    opj_set_error_handler(codec, OnError, &messages);
    opj_set_warning_handler(codec, OnQuiet, nullptr);
    opj_set_info_handler(codec, OnQuiet, nullptr);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    opj_image_t* image = nullptr;
    opj_stream_t* stream = opj_stream_create(64 * 1024, OPJ_TRUE);
    bool ok = false;
    if (stream && opj_setup_decoder(codec, &parameters)) {
        opj_stream_set_user_data(stream, &source, nullptr);
        opj_stream_set_user_data_length(stream, size);
        opj_stream_set_read_function(stream, SourceRead);
        opj_stream_set_skip_function(stream, SourceSkip);
        opj_stream_set_seek_function(stream, SourceSeek);
        if (opj_read_header(stream, codec, &image) && image && image->numcomps > 0 &&
            image->x1 > image->x0 && image->y1 > image->y0) {
            // The library holds a 32-bit sample per component and pixel.
            const uint64_t w = image->x1 - image->x0, h = image->y1 - image->y0;
            if (!CImageObject::WithinMemoryBound(
                    w, h, 32u * (image->numcomps > 64 ? 65 : image->numcomps))) {
                CopyMessage(message, messageSize, "IMAGE_MAX_MEMORY exceeded");
                status = DecodeStatus::kTooLarge;
            } else {
                ok = opj_decode(codec, stream, image) && opj_end_decompress(codec, stream);
            }
        }
    }
    if (stream)
        opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    if (!ok && image) {
        opj_image_destroy(image);
        image = nullptr;
    }
    if (image) {
        // Every component must hold the samples its size promises.
        for (OPJ_UINT32 c = 0; c < image->numcomps; ++c)
            if (!image->comps[c].data || image->comps[c].w == 0 || image->comps[c].h == 0) {
                opj_image_destroy(image);
                return nullptr;
            }
        status = DecodeStatus::kOk;
    }
    return image;
}

void FreeJpeg2000(opj_image* image)
{
    if (image)
        opj_image_destroy(image);
}

bool CImageObjectJ2K::Decode(CImageStream& s)
{
    std::vector<uint8_t> data;
    char message[256];
    if (!ReadRest(s, data))
        return Fail({ DecodeStatus::kUnreadable, "failed to decode J2K image!" });
    DecodeStatus status;
    opj_image_t* image = DecodeJpeg2000(data.data(), data.size(), status, message, sizeof message);
    if (!image)
        return Fail({ status, "failed to decode J2K image!" });
    const opj_image_comp_t* comps = image->comps;
    const bool colour = image->numcomps >= 3 && SameSampling(comps[0], comps[1]) &&
                        SameSampling(comps[0], comps[2]);
    const bool alpha = colour && image->numcomps >= 4 && SameSampling(comps[0], comps[3]);
    uint32_t c = 0;
    if (!colour) {
        Settings().frameCount = static_cast<int32_t>(image->numcomps);
        if (Settings().frame < 0 || static_cast<uint32_t>(Settings().frame) >= image->numcomps) {
            FreeJpeg2000(image);
            return Fail({ DecodeStatus::kNoFrame, "wrong frame!" });
        }
        c = static_cast<uint32_t>(Settings().frame);
    }
    const opj_image_comp_t& comp = comps[c];
    const uint32_t dx = comp.dx ? comp.dx : 1, dy = comp.dy ? comp.dy : 1;
    uint32_t width = (image->x1 - image->x0 + dx - 1) / dx;
    uint32_t height = (image->y1 - image->y0 + dy - 1) / dy;
    // The samples never run short of the size the picture takes.
    if (width > comp.w)
        width = comp.w;
    if (height > comp.h)
        height = comp.h;
    if (!Create(width, height, colour ? 24 : 8, kImageJ2K)) {
        FreeJpeg2000(image);
        return false;  // Create's status and text
    }
    if (alpha && !AllocateAlpha()) {
        FreeJpeg2000(image);
        Release();
        return Fail({ DecodeStatus::kTooLarge, "failed to decode J2K image!" });
    }
    if (!colour)
        SetGreyPalette();
    for (uint32_t y = 0; y < height; ++y) {
        const int32_t memoryRow = static_cast<int32_t>(height - 1 - y);
        uint8_t* out = Row(memoryRow);
        const size_t at = static_cast<size_t>(comp.w) * y;
        if (colour) {
            for (uint32_t x = 0; x < width; ++x, out += 3) {
                out[0] = Sample8(comps[2], at + x);
                out[1] = Sample8(comps[1], at + x);
                out[2] = Sample8(comps[0], at + x);
            }
            if (alpha) {
                uint8_t* a = AlphaMask() + static_cast<size_t>(width) * memoryRow;
                for (uint32_t x = 0; x < width; ++x)
                    a[x] = Sample8(comps[3], at + x);
            }
        } else {
            for (uint32_t x = 0; x < width; ++x)
                out[x] = Sample8(comp, at + x);
        }
    }
    FreeJpeg2000(image);
    return true;
}
