// The cross-built image libraries link statically into a Windows program and
// work there: each round-trips a small image made in memory by its own encoder,
// so a wrong build (missing SIMD objects, a DLL calling convention, a codec
// left out of libtiff, zlib not linked) shows up as a failure here rather than
// in the decoders built on top of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <openjpeg.h>
extern "C" {
#include <jbig.h>
}
#include <zlib.h>

namespace {

using Bytes = std::vector<unsigned char>;

// A gradient with some structure, so that a decoder which returns zeros or
// swaps channels cannot pass.
Bytes MakeRgb(int w, int h)
{
    Bytes px(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &px[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = static_cast<unsigned char>(x * 255 / (w - 1));
            p[1] = static_cast<unsigned char>(y * 255 / (h - 1));
            p[2] = static_cast<unsigned char>(128);
        }
    return px;
}

// ---- libjpeg-turbo -------------------------------------------------------

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo)
{
    JpegError* err = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings would go to stderr; the decoders keep them quiet the same way.
void JpegQuiet(j_common_ptr) {}

Bytes EncodeJpeg(const Bytes& rgb, int w, int h)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(&rgb[c.next_scanline * w * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes result(out, out + size);
    std::free(out);
    return result;
}

// Decodes through the error exit the decoders will use; returns false with
// the library's message when it gives up.
bool DecodeJpeg(const Bytes& data, Bytes* rgb, int* w, int* h, std::string* error)
{
    jpeg_decompress_struct d{};
    JpegError err{};
    d.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegErrorExit;
    err.mgr.output_message = JpegQuiet;
    if (setjmp(err.jump)) {
        *error = err.message;
        jpeg_destroy_decompress(&d);
        return false;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    *w = d.output_width;
    *h = d.output_height;
    rgb->assign(static_cast<size_t>(*w) * *h * 3, 0);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = &(*rgb)[d.output_scanline * *w * 3];
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return true;
}

TEST(ImageLibs, JpegIsTheSixBInterface)
{
    EXPECT_EQ(JPEG_LIB_VERSION, 62);
}

TEST(ImageLibs, JpegRoundTripsWithinTolerance)
{
    const int w = 48, h = 32;
    Bytes src = MakeRgb(w, h);
    Bytes jpg = EncodeJpeg(src, w, h);
    ASSERT_GT(jpg.size(), 100u);
    ASSERT_EQ(jpg[0], 0xFF);
    ASSERT_EQ(jpg[1], 0xD8);

    Bytes out;
    int ow = 0, oh = 0;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(jpg, &out, &ow, &oh, &error)) << error;
    EXPECT_EQ(ow, w);
    EXPECT_EQ(oh, h);
    int worst = 0;
    for (size_t i = 0; i < src.size(); ++i)
        worst = std::max(worst, std::abs(int(src[i]) - int(out[i])));
    EXPECT_LE(worst, 12);
}

TEST(ImageLibs, JpegErrorExitReturnsToTheCaller)
{
    Bytes jpg = EncodeJpeg(MakeRgb(16, 16), 16, 16);
    Bytes broken(jpg.begin(), jpg.begin() + 2);  // SOI and nothing else
    broken.push_back(0x00);
    Bytes out;
    int w = 0, h = 0;
    std::string error;
    EXPECT_FALSE(DecodeJpeg(broken, &out, &w, &h, &error));
    EXPECT_FALSE(error.empty());
}

// ---- libpng --------------------------------------------------------------

TEST(ImageLibs, PngRoundTripsExactly)
{
    const int w = 9, h = 7;
    Bytes rgba(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<unsigned char>(i * 37 + 11);

    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = w;
    img.height = h;
    img.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    ASSERT_TRUE(png_image_write_to_memory(&img, nullptr, &size, 0, rgba.data(), 0, nullptr));
    Bytes png(size);
    ASSERT_TRUE(png_image_write_to_memory(&img, png.data(), &size, 0, rgba.data(), 0, nullptr))
        << img.message;
    png.resize(size);
    ASSERT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);

    png_image in{};
    in.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&in, png.data(), png.size())) << in.message;
    EXPECT_EQ(in.width, static_cast<png_uint_32>(w));
    EXPECT_EQ(in.height, static_cast<png_uint_32>(h));
    in.format = PNG_FORMAT_RGBA;
    Bytes out(PNG_IMAGE_SIZE(in));
    ASSERT_TRUE(png_image_finish_read(&in, nullptr, out.data(), 0, nullptr)) << in.message;
    EXPECT_EQ(out, rgba);
    EXPECT_GE(png_access_version_number(), 10639u);
}

// ---- libtiff -------------------------------------------------------------

// A growable file in memory behind TIFFClientOpen and OpenJPEG's streams, the
// way the decoders hand the libraries a cache file already read into memory.
struct MemFile {
    Bytes data;
    uint64_t pos = 0;

    size_t Read(void* buf, size_t n)
    {
        if (pos >= data.size())
            return 0;
        n = static_cast<size_t>(std::min<uint64_t>(n, data.size() - pos));
        std::memcpy(buf, data.data() + pos, n);
        pos += n;
        return n;
    }
    size_t Write(const void* buf, size_t n)
    {
        if (pos + n > data.size())
            data.resize(static_cast<size_t>(pos + n));
        std::memcpy(data.data() + pos, buf, n);
        pos += n;
        return n;
    }
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t n)
{
    return static_cast<tmsize_t>(static_cast<MemFile*>(h)->Read(buf, static_cast<size_t>(n)));
}
tmsize_t MemWrite(thandle_t h, void* buf, tmsize_t n)
{
    return static_cast<tmsize_t>(static_cast<MemFile*>(h)->Write(buf, static_cast<size_t>(n)));
}
toff_t MemSeek(thandle_t h, toff_t off, int whence)
{
    MemFile* f = static_cast<MemFile*>(h);
    toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->pos : f->data.size();
    f->pos = base + off;
    return f->pos;
}
int MemClose(thandle_t)
{
    return 0;
}
toff_t MemSize(thandle_t h)
{
    return static_cast<MemFile*>(h)->data.size();
}
int MemMap(thandle_t, void**, toff_t*)
{
    return 0;
}
void MemUnmap(thandle_t, void*, toff_t) {}

TIFF* OpenMem(MemFile* f, const char* mode)
{
    return TIFFClientOpen("mem", mode, f, MemRead, MemWrite, MemSeek, MemClose, MemSize, MemMap,
                          MemUnmap);
}

Bytes WriteTiff(const Bytes& rgb, int w, int h, uint16_t compression)
{
    MemFile f;
    TIFF* t = OpenMem(&f, "w");
    EXPECT_NE(t, nullptr);
    if (!t)
        return {};
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    EXPECT_EQ(TIFFSetField(t, TIFFTAG_COMPRESSION, compression), 1);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
    }
    for (int y = 0; y < h; ++y)
        EXPECT_EQ(TIFFWriteScanline(t, const_cast<unsigned char*>(&rgb[y * w * 3]), y, 0), 1);
    TIFFClose(t);
    return f.data;
}

// Reads back through the RGBA interface, the path the decoder takes for the
// variants it does not handle itself.
bool ReadTiffRgba(const Bytes& file, std::vector<uint32_t>* px, uint32_t* w, uint32_t* h,
                  uint16_t* compression)
{
    MemFile f;
    f.data = file;
    TIFF* t = OpenMem(&f, "r");
    if (!t)
        return false;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFGetField(t, TIFFTAG_COMPRESSION, compression);
    px->assign(static_cast<size_t>(*w) * *h, 0);
    int ok = TIFFReadRGBAImageOriented(t, *w, *h, px->data(), ORIENTATION_TOPLEFT, 0);
    TIFFClose(t);
    return ok == 1;
}

TEST(ImageLibs, TiffDeflateRoundTripsExactly)
{
    const int w = 20, h = 12;
    Bytes rgb = MakeRgb(w, h);
    Bytes file = WriteTiff(rgb, w, h, COMPRESSION_ADOBE_DEFLATE);
    ASSERT_GT(file.size(), 8u);
    std::vector<uint32_t> px;
    uint32_t ow = 0, oh = 0;
    uint16_t comp = 0;
    ASSERT_TRUE(ReadTiffRgba(file, &px, &ow, &oh, &comp));
    EXPECT_EQ(ow, static_cast<uint32_t>(w));
    EXPECT_EQ(oh, static_cast<uint32_t>(h));
    EXPECT_EQ(comp, COMPRESSION_ADOBE_DEFLATE);
    for (int i = 0; i < w * h; ++i) {
        ASSERT_EQ(TIFFGetR(px[i]), rgb[i * 3]) << i;
        ASSERT_EQ(TIFFGetG(px[i]), rgb[i * 3 + 1]) << i;
        ASSERT_EQ(TIFFGetB(px[i]), rgb[i * 3 + 2]) << i;
        ASSERT_EQ(TIFFGetA(px[i]), 255u) << i;
    }
}

TEST(ImageLibs, TiffHasItsJpegCodec)
{
    EXPECT_EQ(TIFFIsCODECConfigured(COMPRESSION_JPEG), 1);
    EXPECT_EQ(TIFFIsCODECConfigured(COMPRESSION_OJPEG), 1);
    EXPECT_EQ(TIFFIsCODECConfigured(COMPRESSION_ADOBE_DEFLATE), 1);
    EXPECT_EQ(TIFFIsCODECConfigured(COMPRESSION_LZW), 1);
    // Left out on purpose: each would need one more library in the Windows tree.
    EXPECT_EQ(TIFFIsCODECConfigured(COMPRESSION_JBIG), 0);
    EXPECT_EQ(TIFFIsCODECConfigured(COMPRESSION_LZMA), 0);
    EXPECT_EQ(TIFFIsCODECConfigured(COMPRESSION_ZSTD), 0);
    EXPECT_EQ(TIFFIsCODECConfigured(COMPRESSION_WEBP), 0);

    const int w = 32, h = 32;
    Bytes rgb = MakeRgb(w, h);
    Bytes file = WriteTiff(rgb, w, h, COMPRESSION_JPEG);
    std::vector<uint32_t> px;
    uint32_t ow = 0, oh = 0;
    uint16_t comp = 0;
    ASSERT_TRUE(ReadTiffRgba(file, &px, &ow, &oh, &comp));
    EXPECT_EQ(comp, COMPRESSION_JPEG);
    ASSERT_EQ(ow, static_cast<uint32_t>(w));
    int worst = 0;
    for (int i = 0; i < w * h; ++i) {
        worst = std::max(worst, std::abs(int(TIFFGetR(px[i])) - int(rgb[i * 3])));
        worst = std::max(worst, std::abs(int(TIFFGetG(px[i])) - int(rgb[i * 3 + 1])));
    }
    EXPECT_LE(worst, 16);
}

TEST(ImageLibs, TiffRefusesGarbage)
{
    MemFile f;
    f.data = Bytes(64, 0x42);
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    TIFF* t = OpenMem(&f, "r");
    EXPECT_EQ(t, nullptr);
    if (t)
        TIFFClose(t);
}

// ---- OpenJPEG ------------------------------------------------------------

OPJ_SIZE_T OpjRead(void* buf, OPJ_SIZE_T n, void* user)
{
    size_t got = static_cast<MemFile*>(user)->Read(buf, n);
    return got ? got : static_cast<OPJ_SIZE_T>(-1);
}
OPJ_SIZE_T OpjWrite(void* buf, OPJ_SIZE_T n, void* user)
{
    return static_cast<MemFile*>(user)->Write(buf, n);
}
OPJ_OFF_T OpjSkip(OPJ_OFF_T n, void* user)
{
    MemFile* m = static_cast<MemFile*>(user);
    m->pos += n;
    return n;
}
OPJ_BOOL OpjSeek(OPJ_OFF_T to, void* user)
{
    static_cast<MemFile*>(user)->pos = static_cast<size_t>(to);
    return OPJ_TRUE;
}

opj_stream_t* OpjStream(MemFile* m, bool input)
{
    opj_stream_t* s = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE);
    opj_stream_set_user_data(s, m, nullptr);
    opj_stream_set_user_data_length(s, m->data.size());
    opj_stream_set_read_function(s, OpjRead);
    opj_stream_set_write_function(s, OpjWrite);
    opj_stream_set_skip_function(s, OpjSkip);
    opj_stream_set_seek_function(s, OpjSeek);
    return s;
}

TEST(ImageLibs, OpenJpegCodeStreamRoundTripsLosslessly)
{
    const int w = 24, h = 16, nc = 3;
    Bytes rgb = MakeRgb(w, h);
    opj_image_cmptparm_t parms[nc]{};
    for (auto& p : parms) {
        p.dx = p.dy = 1;
        p.w = w;
        p.h = h;
        p.prec = 8;
        p.sgnd = 0;
    }
    opj_image_t* image = opj_image_create(nc, parms, OPJ_CLRSPC_SRGB);
    ASSERT_NE(image, nullptr);
    image->x1 = w;
    image->y1 = h;
    for (int c = 0; c < nc; ++c)
        for (int i = 0; i < w * h; ++i)
            image->comps[c].data[i] = rgb[i * 3 + c];

    opj_cparameters_t cp;
    opj_set_default_encoder_parameters(&cp);  // reversible 5/3: lossless
    cp.numresolution = 2;
    opj_codec_t* enc = opj_create_compress(OPJ_CODEC_J2K);
    ASSERT_NE(enc, nullptr);
    ASSERT_TRUE(opj_setup_encoder(enc, &cp, image));
    MemFile out;
    opj_stream_t* os = OpjStream(&out, false);
    ASSERT_TRUE(opj_start_compress(enc, image, os));
    ASSERT_TRUE(opj_encode(enc, os));
    ASSERT_TRUE(opj_end_compress(enc, os));
    opj_stream_destroy(os);
    opj_destroy_codec(enc);
    opj_image_destroy(image);
    ASSERT_GT(out.data.size(), 4u);
    EXPECT_EQ(out.data[0], 0xFF);
    EXPECT_EQ(out.data[1], 0x4F);  // SOC

    MemFile in;
    in.data = out.data;
    opj_codec_t* dec = opj_create_decompress(OPJ_CODEC_J2K);
    ASSERT_NE(dec, nullptr);
    opj_dparameters_t dp;
    opj_set_default_decoder_parameters(&dp);
    ASSERT_TRUE(opj_setup_decoder(dec, &dp));
    opj_stream_t* is = OpjStream(&in, true);
    opj_image_t* got = nullptr;
    ASSERT_TRUE(opj_read_header(is, dec, &got));
    ASSERT_TRUE(opj_decode(dec, is, got));
    ASSERT_TRUE(opj_end_decompress(dec, is));
    ASSERT_EQ(got->numcomps, static_cast<OPJ_UINT32>(nc));
    ASSERT_EQ(got->comps[0].w, static_cast<OPJ_UINT32>(w));
    ASSERT_EQ(got->comps[0].h, static_cast<OPJ_UINT32>(h));
    for (int c = 0; c < nc; ++c)
        for (int i = 0; i < w * h; ++i)
            ASSERT_EQ(got->comps[c].data[i], rgb[i * 3 + c]) << c << "," << i;
    opj_image_destroy(got);
    opj_stream_destroy(is);
    opj_destroy_codec(dec);
    EXPECT_STREQ(opj_version(), "2.5.0");
}

// ---- JBIG-KIT ------------------------------------------------------------

void JbgCollect(unsigned char* start, size_t len, void* file)
{
    Bytes* out = static_cast<Bytes*>(file);
    out->insert(out->end(), start, start + len);
}

TEST(ImageLibs, JbigRoundTripsExactly)
{
    const unsigned long w = 37, h = 23;  // width not a multiple of 8 on purpose
    const size_t stride = (w + 7) / 8;
    Bytes plane(stride * h, 0);
    for (unsigned long y = 0; y < h; ++y)
        for (unsigned long x = 0; x < w; ++x)
            if ((x * x + y * 3) % 5 == 0)
                plane[y * stride + x / 8] |= 0x80 >> (x % 8);
    Bytes enc_input = plane;  // the encoder may scribble on its input
    unsigned char* planes[1] = { enc_input.data() };

    Bytes bie;
    jbg_enc_state es;
    jbg_enc_init(&es, w, h, 1, planes, JbgCollect, &bie);
    jbg_enc_out(&es);
    jbg_enc_free(&es);
    ASSERT_GT(bie.size(), 20u);

    jbg_dec_state ds;
    jbg_dec_init(&ds);
    size_t used = 0;
    int rc = jbg_dec_in(&ds, bie.data(), bie.size(), &used);
    ASSERT_EQ(rc, JBG_EOK) << jbg_strerror(rc);
    EXPECT_EQ(jbg_dec_getwidth(&ds), w);
    EXPECT_EQ(jbg_dec_getheight(&ds), h);
    EXPECT_EQ(jbg_dec_getplanes(&ds), 1);
    ASSERT_EQ(jbg_dec_getsize(&ds), plane.size());
    Bytes got(jbg_dec_getimage(&ds, 0), jbg_dec_getimage(&ds, 0) + plane.size());
    EXPECT_EQ(got, plane);
    jbg_dec_free(&ds);

    jbg_dec_init(&ds);
    Bytes junk(20, 0xFF);
    EXPECT_NE(jbg_dec_in(&ds, junk.data(), junk.size(), &used), JBG_EOK);
    jbg_dec_free(&ds);
}

// ---- zlib ----------------------------------------------------------------

TEST(ImageLibs, ZlibIsTheStaticMingwBuild)
{
    const char text[] = "zema zema zema zema zema zema zema zema";
    Bytes packed(compressBound(sizeof text));
    uLongf packed_len = packed.size();
    ASSERT_EQ(
        compress(packed.data(), &packed_len, reinterpret_cast<const Bytef*>(text), sizeof text),
        Z_OK);
    char back[sizeof text] = {};
    uLongf back_len = sizeof back;
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(back), &back_len, packed.data(), packed_len),
              Z_OK);
    EXPECT_STREQ(back, text);
}

}  // namespace
