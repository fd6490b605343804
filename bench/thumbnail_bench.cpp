// The Image browser's thumbnail path (read, decode, fit, rescale, tile), the
// function the scan calls with its memory budget and stop token, against
// libvips' thumbnail operation on the same files, one thread each, class by
// class in one process. Each figure is the median of several rounds;
// the two thumbnailers alternate within every round, so a load on the machine
// falls on both.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_corpus.h"
#include "bench/vips_thumbnail.h"
#include "images/thumbnail.h"

namespace {

// The viewer's thumbnail edge until the user sets another in the Image
// Options dialog (FilterOptions::thumbnailEdge).
constexpr uint32_t defaultEdge = 120;

struct Picture {
    std::string name;
    std::string path;
};

// Never set: the scan's token reads a flag a Close sets, and so does this.
std::atomic<bool> stopRequested{ false };

Thumbnail OurThumbnail(const std::string& path, uint32_t edge)
{
    return MakeThumbnail(PictureBytes::File(path.c_str()), edge, kThumbnailMemoryBudget,
                         [] { return stopRequested.load(std::memory_order_relaxed); });
}

bool DrewSomething(const uint8_t* pixels, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (pixels[i] != 0xFF)
            return true;
    return false;
}

// One pass over every picture before the timing: both thumbnailers must read
// it and draw a picture of about the same size (the two round differently by
// a pixel at most), or the comparison would not be of the same work.
bool SameWork(const std::vector<Picture>& pictures, uint32_t edge)
{
    bool same = true;
    for (const Picture& p : pictures) {
        Tile theirs(edge);
        const Thumbnail ours = OurThumbnail(p.path, edge);
        const Drawn a = ours.status == ThumbnailStatus::kDone
                            ? Drawn{ ours.fit.width, ours.fit.height }
                            : Drawn{};
        const Drawn b = VipsThumbnail(p.path.c_str(), theirs);
        const bool read = a.width && b.width && DrewSomething(ours.tile.get(), TileBytes(edge)) &&
                          DrewSomething(theirs.pixels.data(), theirs.pixels.size());
        if (!read || std::abs(int(a.width) - int(b.width)) > 1 ||
            std::abs(int(a.height) - int(b.height)) > 1) {
            fprintf(stderr, "%s: ours %ux%u, libvips %ux%u%s\n", p.name.c_str(), a.width, a.height,
                    b.width, b.height, read ? "" : ", a tile left blank");
            same = false;
        }
    }
    return same;
}

struct ClassTimes {
    double ours, vips;
};

ClassTimes TimeClass(const std::vector<const Picture*>& pictures, uint32_t edge, int rounds)
{
    std::vector<double> ours, vips;
    for (int r = 0; r < rounds; ++r) {
        const double mine = Seconds(
            [&] {
                for (const Picture* p : pictures)
                    OurThumbnail(p->path, edge);
            },
            1);
        const double theirs = Seconds(
            [&] {
                for (const Picture* p : pictures) {
                    Tile t(edge);
                    VipsThumbnail(p->path.c_str(), t);
                }
            },
            1);
        ours.push_back(mine);
        vips.push_back(theirs);
    }
    return { Median(ours), Median(vips) };
}

void Row(const std::string& what, size_t count, const ClassTimes& t)
{
    printf("%-12s %5zu | %9.2f | %9.2f | %5.2f\n", what.c_str(), count, t.ours * 1e3, t.vips * 1e3,
           t.vips / t.ours);
}

}  // namespace

int main(int argc, char** argv)
{
    BenchCommand command;
    if (!ReadBenchCommand(argc, argv, "thumbnail_bench CORPUS_DIR [ROUNDS] [EDGE]", 7, command))
        return 2;
    const uint32_t edge = argc > 3 ? static_cast<uint32_t>(atoi(argv[3])) : defaultEdge;
    std::vector<Picture> pictures;
    for (const std::string& name : CorpusNames(command.folder, "thumbnails.txt"))
        pictures.push_back({ name, command.folder + "/" + name });
    if (pictures.empty()) {
        fprintf(stderr, "thumbnail_bench: no corpus in %s\n", command.folder.c_str());
        return 1;
    }
    if (!StartVips(argv[0])) {
        fprintf(stderr, "thumbnail_bench: libvips did not start\n");
        return 1;
    }
    if (!SameWork(pictures, edge))
        return 1;

    printf(
        "Thumbnails on a %u by %u tile, milliseconds for the whole class, median of %d "
        "rounds;\n"
        "ratio = libvips time / our time (1.00 or more: ours at least as fast); the row \"all\"\n"
        "adds up the classes\n",
        edge, edge, command.rounds);
    printf("%-12s %5s | %9s | %9s | %5s\n", "class", "files", "ours", "libvips", "ratio");
    ClassTimes total{};
    for (const auto& entry : ByClass(pictures, [](const Picture& p) { return p.name; })) {
        const ClassTimes t = TimeClass(entry.second, edge, command.rounds);
        Row(entry.first, entry.second.size(), t);
        total = { total.ours + t.ours, total.vips + t.vips };
    }
    Row("all", pictures.size(), total);
    StopVips();
    return 0;
}
