// The wrapper overhead of the JPEG, PNG and WebP decoders: each file decoded
// through our decoder and through the same library called directly into a
// plain buffer, taking turns round by round in one process.
#include <png.h>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}
#include <webp/decode.h>

#include "bench/bench_corpus.h"
#include "images/codec/image_object.h"

namespace {

size_t sink = 0;

void Ours(const File& f, uint32_t type)
{
    CImageObject image;
    CMemoryStream stream(f.bytes.data(), f.bytes.size());
    if (!image.Decode(stream, type)) {
        fprintf(stderr, "%s: %s\n", f.name.c_str(), image.LastError());
        exit(1);
    }
    sink += image.Pixels()[0];
}

struct JpegJump {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void JpegExit(j_common_ptr c)
{
    longjmp(reinterpret_cast<JpegJump*>(c->err)->jump, 1);
}

void DirectJpeg(const File& f)
{
    jpeg_decompress_struct cinfo;
    JpegJump err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegExit;
    std::vector<uint8_t> pixels;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        exit(1);
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, f.bytes.data(), f.bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    const size_t stride = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
    pixels.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    sink += pixels[0];
}

struct PngMemory {
    const File* f;
    size_t pos;
};

void PngRead(png_structp png, png_bytep out, png_size_t n)
{
    PngMemory* m = static_cast<PngMemory*>(png_get_io_ptr(png));
    if (n > m->f->bytes.size() - m->pos)
        png_error(png, "short");
    memcpy(out, m->f->bytes.data() + m->pos, n);
    m->pos += n;
}

void DirectPng(const File& f)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    PngMemory m{ &f, 0 };
    if (setjmp(png_jmpbuf(png)))
        exit(1);
    png_set_read_fn(png, &m, PngRead);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t stride = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(stride * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.data() + stride * y;
    for (int p = 0; p < passes; ++p)
        png_read_rows(png, rows.data(), nullptr, height);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    sink += pixels[0];
}

// Blue, green, red as our pictures hold them, with alpha beside when the file
// has it; the library writes straight into a plain buffer.
void DirectWebP(const File& f)
{
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(f.bytes.data(), f.bytes.size(), &features) != VP8_STATUS_OK)
        exit(1);
    const int bytesPerPixel = features.has_alpha ? 4 : 3;
    const int stride = features.width * bytesPerPixel;
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * features.height);
    const uint8_t* ok = features.has_alpha
                            ? WebPDecodeBGRAInto(f.bytes.data(), f.bytes.size(), pixels.data(),
                                                 pixels.size(), stride)
                            : WebPDecodeBGRInto(f.bytes.data(), f.bytes.size(), pixels.data(),
                                                pixels.size(), stride);
    if (!ok)
        exit(1);
    sink += pixels[0];
}

uint32_t TypeOf(const std::string& name)
{
    if (name.find(".jpg") != std::string::npos)
        return kImageJPEG;
    if (name.find(".webp") != std::string::npos)
        return kImageWEBP;
    return kImagePNG;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchCommand command;
    if (!ReadBenchCommand(argc, argv, "library_bench CORPUS_DIR [ROUNDS]", 7, command))
        return 2;
    printf("JPEG, PNG and WebP decode: our decoder against the library called directly, megapixels "
           "per second\n"
           "(best round); overhead = median over the rounds of our time / direct time - 1\n");
    for (const File& f : Corpus(command.folder, "libraries.txt")) {
        const std::string& name = f.name;
        const uint32_t type = TypeOf(name);
        CImageObject probe;
        CMemoryStream s(f.bytes.data(), f.bytes.size());
        probe.Decode(s, type);
        const double mpx = static_cast<double>(probe.Width()) * probe.Height() / 1e6;
        const auto timeOurs = [&] { return Seconds([&] { Ours(f, type); }, 1); };
        const auto timeDirect = [&] {
            return Seconds(
                [&] {
                    if (type == kImageJPEG)
                        DirectJpeg(f);
                    else if (type == kImageWEBP)
                        DirectWebP(f);
                    else
                        DirectPng(f);
                },
                1);
        };
        const Turns turns = TakeTurns(command.rounds, timeOurs, timeDirect);
        printf("%-28s ours %7.1f Mpx/s | direct %7.1f Mpx/s | overhead %+5.1f%%\n", name.c_str(),
               mpx / turns.bestOurs, mpx / turns.bestRival, (Median(turns.ratios) - 1) * 100);
    }
    return sink == 42 ? 3 : 0;
}
