// What the benchmarks share: the corpus files held in memory, and the best
// time of several rounds.
#pragma once

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

struct File {
  std::string name;
  std::vector<uint8_t> bytes;
};

// Every file named in dir/listName, in the list's order.
inline std::vector<File> Corpus(const std::string& dir, const std::string& listName) {
  std::vector<File> files;
  std::ifstream list(dir + "/" + listName);
  std::string name;
  while (list >> name) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    files.push_back({name, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})});
  }
  return files;
}

inline double Seconds(const std::function<void()>& work, int rounds) {
  double best = 1e9;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    work();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (s < best) best = s;
  }
  return best;
}
