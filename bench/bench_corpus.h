// What the benchmarks share: the corpus lists and files held in memory, the
// classes their names start with, and the best or median time of rounds.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

// A benchmark's command line: FOLDER [ROUNDS] and what the benchmark adds.
struct BenchCommand {
    std::string folder;
    int rounds = 0;
};

// False, after printing the usage, when the folder is missing.
inline bool ReadBenchCommand(int argc, char** argv, const char* usage, int defaultRounds,
                             BenchCommand& command)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s\n", usage);
        return false;
    }
    command.folder = argv[1];
    command.rounds = argc > 2 ? std::max(1, atoi(argv[2])) : defaultRounds;
    return true;
}

struct File {
    std::string name;
    std::vector<uint8_t> bytes;
};

// The names in dir/listName, in the list's order.
inline std::vector<std::string> CorpusNames(const std::string& dir, const std::string& listName)
{
    std::vector<std::string> names;
    std::ifstream list(dir + "/" + listName);
    std::string name;
    while (list >> name)
        names.push_back(name);
    return names;
}

// Every file named in dir/listName, in the list's order.
inline std::vector<File> Corpus(const std::string& dir, const std::string& listName)
{
    std::vector<File> files;
    for (const std::string& name : CorpusNames(dir, listName)) {
        std::ifstream in(dir + "/" + name, std::ios::binary);
        files.push_back({ name, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}) });
    }
    return files;
}

// A file's class is its name up to the first underscore.
inline std::string ClassOf(const std::string& name)
{
    return name.substr(0, name.find('_'));
}

// The items grouped by the class of their names, classes in name order.
template <typename Item, typename NameOf>
std::map<std::string, std::vector<const Item*>> ByClass(const std::vector<Item>& items,
                                                        NameOf nameOf)
{
    std::map<std::string, std::vector<const Item*>> groups;
    for (const Item& item : items)
        groups[ClassOf(nameOf(item))].push_back(&item);
    return groups;
}

inline double Seconds(const std::function<void()>& work, int rounds)
{
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        work();
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (s < best)
            best = s;
    }
    return best;
}

// The middle value; the mean of the two middle ones for an even count.
inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

// Ours against a rival, round by round, taking turns: who goes first
// alternates, so that neither always meets the caches as the other left them
// and a busy spell of the shared machine falls on both. Each function runs
// its side once and returns the seconds it took.
struct Turns {
    double bestOurs = 1e9, bestRival = 1e9;
    std::vector<double> ours, rival, ratios;  // per round; ratio = ours / rival
};

inline Turns TakeTurns(int rounds, const std::function<double()>& timeOurs,
                       const std::function<double()>& timeRival)
{
    Turns turns;
    for (int round = 0; round < rounds; ++round) {
        double ours, rival;
        if (round % 2 == 0) {
            ours = timeOurs();
            rival = timeRival();
        } else {
            rival = timeRival();
            ours = timeOurs();
        }
        turns.bestOurs = std::min(turns.bestOurs, ours);
        turns.bestRival = std::min(turns.bestRival, rival);
        turns.ours.push_back(ours);
        turns.rival.push_back(rival);
        turns.ratios.push_back(ours / rival);
    }
    return turns;
}
