// Decode throughput of the GIF decoder against giflib and stb_image on one
// corpus, and the thumbnail rescale against stb_image_resize. Each figure is
// the best of several rounds, measured side by side in this one process.
#include <gif_lib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "images/codec/image_gif.h"
#include "bench/bench_corpus.h"
#include "images/codec/image_object.h"

extern "C" {
#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>
}

namespace {

size_t sink = 0;

void Ours(const File& f, bool plain)
{
    CImageObject image;
    if (plain)
        image.Settings().codecOptions[kImageGIF] = kGifPlainFrameCount;
    CMemoryStream stream(f.bytes.data(), f.bytes.size());
    image.Decode(stream, kImageGIF);
    sink += image.HasPixels() ? image.Pixels()[0] : 0;
}

struct GifMemory {
    const File* file;
    size_t pos;
};

int GifRead(GifFileType* gif, GifByteType* out, int n)
{
    GifMemory* m = static_cast<GifMemory*>(gif->UserData);
    size_t left = m->file->bytes.size() - m->pos;
    size_t take = static_cast<size_t>(n) < left ? static_cast<size_t>(n) : left;
    memcpy(out, m->file->bytes.data() + m->pos, take);
    m->pos += take;
    return static_cast<int>(take);
}

void Giflib(const File& f)
{
    GifMemory m{ &f, 0 };
    int error = 0;
    GifFileType* gif = DGifOpen(&m, GifRead, &error);
    if (!gif)
        return;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0)
        sink += gif->SavedImages[0].RasterBits[0];
    DGifCloseFile(gif, &error);
}

void Stb(const File& f)
{
    int w, h, n, frames = 0;
    int* delays = nullptr;
    stbi_uc* p = stbi_load_gif_from_memory(f.bytes.data(), static_cast<int>(f.bytes.size()),
                                           &delays, &w, &h, &frames, &n, 0);
    if (p)
        sink += p[0];
    stbi_image_free(p);
    stbi_image_free(delays);
}

void Row(const std::string& what, double bytes, double ours, double gif, double stb)
{
    printf("%-26s ours %7.1f MB/s | giflib %7.1f MB/s  ratio %.2f | stb %7.1f MB/s  ratio %.2f\n",
           what.c_str(), bytes / ours / 1e6, bytes / gif / 1e6, gif / ours, bytes / stb / 1e6,
           stb / ours);
}

void GifTable(const std::vector<File>& corpus, int rounds)
{
    const auto groups = ByClass(corpus, [](const File& f) { return f.name; });
    printf("GIF decode, file bytes per second; ratio = peer time / our time (above 1: we are "
           "faster)\n");
    for (const auto& entry : groups) {
        const std::vector<const File*>& files = entry.second;
        double bytes = 0;
        for (const File* f : files)
            bytes += f->bytes.size();
        auto each = [&files](void (*decode)(const File&)) {
            return [&files, decode] {
                for (const File* f : files)
                    decode(*f);
            };
        };
        double ours = Seconds(each([](const File& f) { Ours(f, false); }), rounds);
        double plain = Seconds(each([](const File& f) { Ours(f, true); }), rounds);
        double gif = Seconds(each(Giflib), rounds);
        double stb = Seconds(each(Stb), rounds);
        Row(entry.first, bytes, ours, gif, stb);
        Row(entry.first + " (plain count)", bytes, plain, gif, stb);
    }
}

// Best time of our rescale to a thumbnail's size, the way the Image browser
// calls it.
double TimeThumbnailRescale(CImageObject& source, int nw, int nh, int rounds)
{
    return Seconds(
        [&] {
            CImageObject target;
            source.Rescale(nw, nh, ResampleMode::kSmooth, &target);
            sink += target.Pixels()[0];
        },
        rounds);
}

void RescaleTable(int rounds)
{
    printf("Rescale, 24-bit, shrink to fit 120 by 120, source megapixels per second\n");
    const int sizes[][2] = { { 468, 60 }, { 640, 480 }, { 1024, 768 }, { 1600, 1200 } };
    for (const auto& s : sizes) {
        const int w = s[0], h = s[1];
        const int nw = w >= h ? 120 : 120 * w / h, nh = w >= h ? 120 * h / w : 120;
        CImageObject source;
        source.Create(w, h, 24, kImageBMP);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 3 * w; ++x)
                source.Row(y)[x] = static_cast<uint8_t>(x * 7 + y * 13);
        std::vector<uint8_t> out(static_cast<size_t>(nw) * nh * 3);
        double ours = TimeThumbnailRescale(source, nw, nh, rounds);
        double stb = Seconds(
            [&] {
                stbir_resize_uint8(source.Pixels(), w, h, static_cast<int>(source.Stride()),
                                   out.data(), nw, nh, 0, 3);
                sink += out[0];
            },
            rounds);
        char what[64];
        snprintf(what, sizeof what, "%dx%d -> %dx%d", w, h, nw, nh);
        printf("%-26s ours %7.1f Mpx/s | stbir %7.1f Mpx/s  ratio %.2f\n", what, w * h / ours / 1e6,
               w * h / stb / 1e6, stb / ours);
    }
}

// The thumbnail of a GIF: a paletted picture stays paletted, so every
// blended pixel is matched to its nearest palette entry.
void PalettedRescaleTable(const std::vector<File>& corpus, int rounds)
{
    printf("Rescale, paletted (the corpus's single-frame GIFs), fit 120 by 120, milliseconds per "
           "picture\n");
    for (const File& f : corpus) {
        if (f.name.compare(0, 7, "single_") != 0)
            continue;
        CImageObject source;
        CMemoryStream stream(f.bytes.data(), f.bytes.size());
        if (!source.Decode(stream, kImageGIF) || source.Bpp() > 8)
            continue;
        const int w = source.Width(), h = source.Height();
        if (w <= 120 && h <= 120)
            continue;  // drawn as it is
        const int nw = w >= h ? 120 : 120 * w / h, nh = w >= h ? 120 * h / w : 120;
        double ours = TimeThumbnailRescale(source, nw, nh, rounds);
        printf("%-26s %7.3f ms\n", f.name.c_str(), ours * 1e3);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    BenchCommand command;
    if (!ReadBenchCommand(argc, argv, "codec_bench CORPUS_DIR [ROUNDS]", 7, command))
        return 2;
    const int rounds = command.rounds;
    std::vector<File> corpus = Corpus(command.folder, "list.txt");
    if (corpus.empty()) {
        fprintf(stderr, "codec_bench: no corpus in %s\n", command.folder.c_str());
        return 1;
    }
    GifTable(corpus, rounds);
    RescaleTable(rounds);
    PalettedRescaleTable(corpus, rounds);
    return sink == 42 ? 3 : 0;  // keeps the decodes from being optimised away
}
