// Listing a browser cache: every entry of each real cache (made with
// make-caches.py --entries) through OpenCacheFolder and Next, against reading
// every file of the same folder whole with plain reads, taking turns round by
// round in one process so both see the same page cache. Beside them, the
// least any reader of a folder must spend: opening, sizing and closing each
// of its files, reading nothing.
//   cache_list_bench CACHES [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_corpus.h"
#include "caches/cache_reader.h"

namespace fs = std::filesystem;

namespace {

const char* const kCaches[] = { "chromium-simple", "chromium-blockfile", "chromium-sql",
                                "firefox" };

struct Listing {
    uint64_t entries = 0;
    uint64_t skipped = 0;
    uint64_t withProblem = 0;
};

struct PlainRead {
    uint64_t files = 0;
    uint64_t bytes = 0;
};

Listing ListCache(const std::string& folder)
{
    Listing listing;
    OpenedCache opened = OpenCacheFolder(folder);
    if (!opened.reader) {
        fprintf(stderr, "%s: %s\n", folder.c_str(), opened.problem.c_str());
        exit(1);
    }
    CacheStopCheck never = [] { return false; };
    CacheEntry entry;
    while (opened.reader->Next(entry, never)) {
        ++listing.entries;
        if (!entry.problem.empty())
            ++listing.withProblem;
        entry = CacheEntry();
    }
    listing.skipped = opened.reader->SkippedEntries();
    return listing;
}

// Each regular file under the folder, opened for reading, handed to visit
// and closed again.
void ForEachOpenedFile(const std::string& folder, const std::function<void(FILE*)>& visit)
{
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (!item.is_regular_file())
            continue;
        FILE* file = fopen(item.path().string().c_str(), "rb");
        if (!file)
            continue;
        visit(file);
        fclose(file);
    }
}

PlainRead ReadEveryFile(const std::string& folder)
{
    PlainRead read;
    std::vector<char> buffer(1 << 16);
    ForEachOpenedFile(folder, [&](FILE* file) {
        size_t got;
        while ((got = fread(buffer.data(), 1, buffer.size(), file)) > 0)
            read.bytes += got;
        ++read.files;
    });
    return read;
}

uint64_t OpenEveryFile(const std::string& folder)
{
    uint64_t files = 0;
    ForEachOpenedFile(folder, [&](FILE* file) {
        if (fseek(file, 0, SEEK_END) == 0 && ftell(file) >= 0)
            ++files;
    });
    return files;
}

double MedianSeconds(const std::function<void()>& work, int rounds)
{
    std::vector<double> seconds;
    for (int round = 0; round < rounds; ++round)
        seconds.push_back(Seconds(work, 1));
    return Median(seconds);
}

// Rows the server answered with 200 for this cache: what the browser could store.
uint64_t ServedRows(const std::string& caches, const std::string& name)
{
    std::ifstream manifest(caches + "/manifest.tsv");
    std::string line;
    uint64_t rows = 0;
    while (std::getline(manifest, line)) {
        size_t tab = line.find('\t');
        if (tab == std::string::npos || line.compare(0, tab, name) != 0)
            continue;
        size_t status = line.find('\t', line.find('\t', tab + 1) + 1);
        if (status != std::string::npos && line.compare(status + 1, 4, "200\t") == 0)
            ++rows;
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchCommand command;
    if (!ReadBenchCommand(argc, argv, "cache_list_bench CACHES [ROUNDS]", 5, command))
        return 2;
    printf("cache_list_bench: %s, %d rounds (median, best)\n", command.folder.c_str(),
           command.rounds);
    printf("%-19s %8s %7s %8s %8s %8s  %15s  %15s  %9s  %8s  %9s\n", "cache", "entries", "skipped",
           "problems", "files", "MB", "list ms", "read ms", "list/read", "open ms", "open/read");
    int status = 0;
    for (const char* name : kCaches) {
        const std::string folder = command.folder + "/" + name;
        Listing listing;
        PlainRead read;
        const Turns turns = TakeTurns(
            command.rounds, [&] { return Seconds([&] { listing = ListCache(folder); }, 1); },
            [&] { return Seconds([&] { read = ReadEveryFile(folder); }, 1); });
        const double list = Median(turns.ours), readTime = Median(turns.rival);
        const double opens = MedianSeconds([&] { OpenEveryFile(folder); }, command.rounds);
        printf(
            "%-19s %8llu %7llu %8llu %8llu %8.1f  %7.1f %7.1f  %7.1f %7.1f  %9.2f  %8.1f  %9.2f\n",
            name, static_cast<unsigned long long>(listing.entries),
            static_cast<unsigned long long>(listing.skipped),
            static_cast<unsigned long long>(listing.withProblem),
            static_cast<unsigned long long>(read.files), read.bytes / 1e6, list * 1e3,
            turns.bestOurs * 1e3, readTime * 1e3, turns.bestRival * 1e3, list / readTime,
            opens * 1e3, opens / readTime);
        // A reader that lost most of a cache would look fast: the listing must
        // hold nearly every response the browser was sent.
        uint64_t served = ServedRows(command.folder, name);
        if (listing.entries * 10 < served * 9) {
            fprintf(stderr, "%s: %llu entries listed of %llu responses served\n", name,
                    static_cast<unsigned long long>(listing.entries),
                    static_cast<unsigned long long>(served));
            status = 1;
        }
    }
    return status;
}
