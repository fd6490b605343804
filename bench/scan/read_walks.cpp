#include "bench/scan/read_walks.h"

#include "caches/cache_reader.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

// The picture decoder's reads: fopen, then fread of what it asks for.
uint64_t ReadWholeFile(const std::string& path, std::vector<uint8_t>& buffer)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    uint64_t total = 0;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        total += got;
    std::fclose(file);
    return total;
}

void WalkFolder(const std::string& folder, std::vector<uint8_t>& buffer, ReadWalk& walk)
{
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string path = folder + "\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (found.cFileName[0] != '.')
                WalkFolder(path, buffer, walk);
            continue;
        }
        walk.bytes += ReadWholeFile(path, buffer);
        ++walk.items;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

}  // namespace

ReadWalk ReadCacheEntries(const std::string& folder)
{
    ReadWalk walk;
    OpenedCache opened = OpenCacheFolder(folder);
    if (!opened.reader)
        return walk;
    const CacheStopCheck never = [] { return false; };
    std::vector<uint8_t> body;
    CacheEntry entry;
    while (opened.reader->Next(entry, never)) {
        body.clear();
        ReadEntryBody(*opened.reader, entry, 64u << 20, never,
                      [&](const uint8_t* data, size_t size) {
                          body.insert(body.end(), data, data + size);
                          return true;
                      });
        walk.bytes += body.size();
        ++walk.items;
    }
    return walk;
}

ReadWalk ReadFolderFiles(const std::string& folder)
{
    ReadWalk walk;
    // The C library's own stream buffer sits between these reads and the file.
    std::vector<uint8_t> buffer(4096);
    WalkFolder(folder, buffer, walk);
    return walk;
}
