// The Image browser's thumbnail path (read, decode, fit, rescale, tile)
// against libvips' thumbnail operation on the same files, one thread each,
// class by class in one process. Each figure is the median of several rounds;
// the two thumbnailers alternate within every round, so a load on the machine
// falls on both.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_corpus.h"
#include "bench/our_thumbnail.h"
#include "bench/vips_thumbnail.h"

namespace {

// The viewer's thumbnail edge until the user sets another in the Image
// Options dialog (FilterOptions::thumbnailEdge).
constexpr uint32_t defaultEdge = 120;

struct Picture {
  std::string name;
  std::string path;
};

bool DrewSomething(const Tile& tile) {
  for (uint8_t byte : tile.pixels)
    if (byte != 0xFF) return true;
  return false;
}

// One pass over every picture before the timing: both thumbnailers must read
// it and draw a picture of about the same size (the two round differently by
// a pixel at most), or the comparison would not be of the same work.
bool SameWork(const std::vector<Picture>& pictures, uint32_t edge) {
  bool same = true;
  for (const Picture& p : pictures) {
    Tile ours(edge), theirs(edge);
    StageSeconds unused;
    const Drawn a = OurThumbnail(p.path.c_str(), ours, unused);
    const Drawn b = VipsThumbnail(p.path.c_str(), theirs);
    const bool read = a.width && b.width && DrewSomething(ours) && DrewSomething(theirs);
    if (!read || std::abs(int(a.width) - int(b.width)) > 1 || std::abs(int(a.height) - int(b.height)) > 1) {
      fprintf(stderr, "%s: ours %ux%u, libvips %ux%u%s\n", p.name.c_str(), a.width, a.height, b.width, b.height,
              read ? "" : ", a tile left blank");
      same = false;
    }
  }
  return same;
}

struct ClassTimes {
  double ours, decode, rescale, tile, vips;
};

ClassTimes TimeClass(const std::vector<const Picture*>& pictures, uint32_t edge, int rounds) {
  std::vector<double> ours, decode, rescale, tile, vips;
  for (int r = 0; r < rounds; ++r) {
    StageSeconds stages;
    const double mine = Seconds([&] {
      for (const Picture* p : pictures) {
        Tile t(edge);
        OurThumbnail(p->path.c_str(), t, stages);
      }
    }, 1);
    const double theirs = Seconds([&] {
      for (const Picture* p : pictures) {
        Tile t(edge);
        VipsThumbnail(p->path.c_str(), t);
      }
    }, 1);
    ours.push_back(mine);
    decode.push_back(stages.decode);
    rescale.push_back(stages.rescale);
    tile.push_back(stages.tile);
    vips.push_back(theirs);
  }
  return {Median(ours), Median(decode), Median(rescale), Median(tile), Median(vips)};
}

void Row(const std::string& what, size_t count, const ClassTimes& t) {
  printf("%-12s %5zu | %9.2f %9.2f %9.2f %7.2f | %9.2f | %5.2f\n", what.c_str(), count, t.ours * 1e3,
         t.decode * 1e3, t.rescale * 1e3, t.tile * 1e3, t.vips * 1e3, t.vips / t.ours);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: thumbnail_bench CORPUS_DIR [ROUNDS] [EDGE]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int rounds = argc > 2 ? atoi(argv[2]) : 7;
  const uint32_t edge = argc > 3 ? static_cast<uint32_t>(atoi(argv[3])) : defaultEdge;
  std::vector<Picture> pictures;
  for (const std::string& name : CorpusNames(dir, "thumbnails.txt")) pictures.push_back({name, dir + "/" + name});
  if (pictures.empty()) {
    fprintf(stderr, "thumbnail_bench: no corpus in %s\n", dir.c_str());
    return 1;
  }
  if (!StartVips(argv[0])) {
    fprintf(stderr, "thumbnail_bench: libvips did not start\n");
    return 1;
  }
  if (!SameWork(pictures, edge)) return 1;

  printf("Thumbnails on a %u by %u tile, milliseconds for the whole class, median of %d rounds;\n"
         "ratio = libvips time / our time (1.00 or more: ours at least as fast); decode, rescale\n"
         "and tile split our time by stage; the row \"all\" adds up the classes\n", edge, edge, rounds);
  printf("%-12s %5s | %9s %9s %9s %7s | %9s | %5s\n", "class", "files", "ours", "decode", "rescale", "tile",
         "libvips", "ratio");
  ClassTimes total{};
  for (const auto& entry : ByClass(pictures, [](const Picture& p) { return p.name; })) {
    const ClassTimes t = TimeClass(entry.second, edge, rounds);
    Row(entry.first, entry.second.size(), t);
    total = {total.ours + t.ours, total.decode + t.decode, total.rescale + t.rescale, total.tile + t.tile,
             total.vips + t.vips};
  }
  Row("all", pictures.size(), total);
  StopVips();
  return 0;
}
