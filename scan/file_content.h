// A cache file's bytes read whole into memory, for the rows whose content a
// window searches or shows.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

// The file's bytes followed by a NUL; null when the file cannot be opened or
// read, is larger than bound, the memory is not there, or stopRequested
// (asked between blocks of reading) answered true.
std::unique_ptr<char[]> ReadFileContent(const char* path, uint64_t bound,
                                        const std::function<bool()>& stopRequested);
