// The Image browser's scan, as a user's runs (the shipped list control in a
// shown window, its worker, thumbnails made and kept), over the same pictures
// twice: as the entries of a Chromium cache the real browser wrote, and as
// WinINet files, the bodies the server sent named and placed as WinINet keeps
// them. Each Chromium cache takes turns with the WinINet folder round by
// round in one process, so both meet the same page cache and the same load
// of the shared machine. Made by make-caches.py --pictures N.
//   scan_rate_bench CACHES [ROUNDS]
#include "bench/bench_corpus.h"
#include "bench/scan/cache_selection.h"
#include "bench/scan/read_walks.h"
#include "bench/scan/scan_window.h"
#include "images/image_list_view.h"
#include "scan/filter_options.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kChromiumCaches[] = { "chromium-blockfile", "chromium-simple" };
// make-caches.py writes the WinINet folder from the responses its last run was sent.
const char kWinInetSource[] = "chromium-blockfile";
// A scan that has not ended in this long is stuck, not slow.
const DWORD kLongestScanMs = 15 * 60 * 1000;

struct ScanTurn {
    int rows = 0;
    double seconds = 0;
    double cpuSeconds = 0;    // this process's threads, user and kernel
    double uiCpuSeconds = 0;  // of them, the user-interface thread's: rows and drawing
    bool ended = false;
    double RowsPerSecond() const { return seconds > 0 ? rows / seconds : 0; }
};

double FileTimeSeconds(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
}

double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

// The scan's worker and the thread that adds and draws its rows each have
// their share; the difference between two scans shows on one side or the other.
double ThisThreadCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user))
        return 0;
    return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

// The host's one-minute load average, read through Wine's drive of the root.
double LoadAverage()
{
    FILE* file = std::fopen("Z:\\proc\\loadavg", "r");
    double load = -1;
    if (file) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = -1;
        std::fclose(file);
    }
    return load;
}

// A user's scan with the Image Options' defaults: any date and size, the
// registry's picture types, 120-pixel thumbnails. Timed from the start of the
// scan until its last row is in the list.
ScanTurn TimeScan()
{
    ScanWindow window;
    CImageListView view;
    view.SubclassWindow(window.List());
    ScanTurn turn;
    const double cpuBefore = ProcessCpuSeconds();
    const double uiCpuBefore = ThisThreadCpuSeconds();
    const DWORD started = ::GetTickCount();
    const auto begun = std::chrono::steady_clock::now();
    view.StartScan(FilterOptions());
    AfxPumpMessagesUntil(
        [&] { return !view.IsRunning() || ::GetTickCount() - started > kLongestScanMs; });
    turn.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    turn.cpuSeconds = ProcessCpuSeconds() - cpuBefore;
    turn.uiCpuSeconds = ThisThreadCpuSeconds() - uiCpuBefore;
    turn.ended = !view.IsRunning();
    turn.rows = view.GetItemCount();
    if (!turn.ended) {
        view.RequestStop();
        AfxPumpMessagesUntil([&] { return !view.IsRunning(); });
    }
    return turn;
}

// The pictures the server sent to one browser run: whole answers of an image type.
int ServedPictures(const std::string& manifestPath, const std::string& cache)
{
    std::ifstream manifest(manifestPath);
    std::string line;
    int pictures = 0;
    while (std::getline(manifest, line)) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() >= 5 && fields[0] == cache && fields[3] == "200" &&
            fields[4].compare(0, 6, "image/") == 0)
            ++pictures;
    }
    return pictures;
}

struct Side {
    std::string name, folder;
    int served = 0;
    std::vector<ScanTurn> turns;
};

// One side's scan after choosing its folder as the only cache read.
double RunTurn(CacheSelection& selection, Side& side)
{
    std::string problem;
    if (!selection.ReadOnly(side.folder, problem)) {
        fprintf(stderr, "scan_rate_bench: %s\n", problem.c_str());
        exit(1);
    }
    side.turns.push_back(TimeScan());
    const ScanTurn& turn = side.turns.back();
    printf("  %-19s %6d rows %7.1f s %7.1f rows/s  cpu %6.1f s (window %.1f s)  load %.2f\n",
           side.name.c_str(), turn.rows, turn.seconds, turn.RowsPerSecond(), turn.cpuSeconds,
           turn.uiCpuSeconds, LoadAverage());
    fflush(stdout);
    return turn.seconds;
}

std::vector<double> Rates(const Side& side)
{
    std::vector<double> rates;
    for (const ScanTurn& turn : side.turns)
        rates.push_back(turn.RowsPerSecond());
    return rates;
}

double MedianPerThousandRows(const Side& side, double ScanTurn::*seconds)
{
    std::vector<double> perThousand;
    for (const ScanTurn& turn : side.turns)
        perThousand.push_back(turn.rows ? turn.*seconds * 1000 / turn.rows : 0);
    return Median(perThousand);
}

// A side that lost pictures, or a scan that never ended, would look fast.
bool Complete(const Side& side)
{
    bool complete = true;
    for (const ScanTurn& turn : side.turns) {
        if (!turn.ended || turn.rows * 10LL < side.served * 9LL || turn.rows > side.served) {
            fprintf(stderr, "scan_rate_bench: %s: %d rows of %d pictures served%s\n",
                    side.name.c_str(), turn.rows, side.served,
                    turn.ended ? "" : " (the scan did not end)");
            complete = false;
        }
    }
    return complete;
}

void PrintSide(const Side& side)
{
    const std::vector<double> rates = Rates(side);
    printf("%-19s %6d rows %8.1f rows/s median (best %.1f), cpu %.2f s per 1000 rows "
           "(window %.2f s)\n",
           side.name.c_str(), side.turns.back().rows, Median(rates),
           *std::max_element(rates.begin(), rates.end()),
           MedianPerThousandRows(side, &ScanTurn::cpuSeconds),
           MedianPerThousandRows(side, &ScanTurn::uiCpuSeconds));
}

void PrintSummary(const Side& entries, const Side& files)
{
    std::vector<double> ratios;
    for (size_t round = 0; round < entries.turns.size(); ++round)
        ratios.push_back(entries.turns[round].RowsPerSecond() / files.turns[round].RowsPerSecond());
    PrintSide(entries);
    PrintSide(files);
    printf("%-19s entries/files rate %.3f (median of the rounds' ratios)\n", "", Median(ratios));
}

// The reading alone, both walks taking turns: where the scans' difference
// comes from when it is not the pictures' decoding.
void CompareReading(const Side& entries, const Side& files, int rounds)
{
    ReadWalk entryWalk, fileWalk;
    const Turns turns = TakeTurns(
        rounds, [&] { return Seconds([&] { entryWalk = ReadCacheEntries(entries.folder); }, 1); },
        [&] { return Seconds([&] { fileWalk = ReadFolderFiles(files.folder); }, 1); });
    const double entrySeconds = Median(turns.ours), fileSeconds = Median(turns.rival);
    printf("%-19s reading alone: %llu entries, %.1f MB in %.2f s (%.0f per second)\n",
           entries.name.c_str(), static_cast<unsigned long long>(entryWalk.items),
           entryWalk.bytes / 1e6, entrySeconds, entryWalk.items / entrySeconds);
    printf("%-19s reading alone: %llu files, %.1f MB in %.2f s (%.0f per second)\n",
           files.name.c_str(), static_cast<unsigned long long>(fileWalk.items),
           fileWalk.bytes / 1e6, fileSeconds, fileWalk.items / fileSeconds);
}

}  // namespace

int main(int argc, char** argv)
{
    BenchCommand command;
    if (!ReadBenchCommand(argc, argv, "scan_rate_bench CACHES [ROUNDS]", 5, command))
        return 2;
    const std::string manifest = command.folder + "\\manifest.tsv";
    printf("scan_rate_bench: %s, %d rounds; load average (1 min) %.2f\n", command.folder.c_str(),
           command.rounds, LoadAverage());
    CacheSelection selection;
    int status = 0;
    for (const char* cache : kChromiumCaches) {
        Side entries{ cache, command.folder + "\\" + cache, ServedPictures(manifest, cache), {} };
        Side files{
            "wininet", command.folder + "\\wininet", ServedPictures(manifest, kWinInetSource), {}
        };
        printf("%s (%d pictures served) against wininet (%d pictures as files)\n", cache,
               entries.served, files.served);
        TakeTurns(
            command.rounds, [&] { return RunTurn(selection, entries); },
            [&] { return RunTurn(selection, files); });
        PrintSummary(entries, files);
        CompareReading(entries, files, command.rounds);
        printf("\n");
        if (!Complete(entries) || !Complete(files))
            status = 1;
    }
    return status;
}
