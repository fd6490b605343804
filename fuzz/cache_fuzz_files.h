// What the blockfile fuzz targets share: a cache folder of their own per
// process, written from the input, then read whole as a viewer would.
#pragma once

#include "caches/cache_reader.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The folder's name lives in static storage, not in a std::string, as the
// exit handler that removes the folder runs after static objects are gone.
inline char* FolderName()
{
    static char name[64];
    return name;
}

inline void RemoveFolder()
{
    std::string command = std::string("rm -rf ") + FolderName();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", FolderName());
}

inline std::string Folder()
{
    if (!FolderName()[0]) {
        std::snprintf(FolderName(), 64, "/tmp/zema-cache-fuzz-%d", static_cast<int>(getpid()));
        std::string command = std::string("mkdir -p ") + FolderName();
        Check(std::system(command.c_str()) == 0);
        std::atexit(RemoveFolder);
    }
    return FolderName();
}

inline void WriteFile(const std::string& name, const uint8_t* head, size_t headSize,
                      const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen((Folder() + "/" + name).c_str(), "wb");
    Check(file != nullptr);
    if (headSize)
        std::fwrite(head, 1, headSize, file);
    if (size)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
}

// A block file's 8 KB header naming its block size, then `blocks`.
inline void WriteBlockFile(int number, uint32_t blockSize, const uint8_t* blocks, size_t size)
{
    uint8_t header[8192] = {};
    const uint32_t fields[] = { 0xC104CAC3u, 0x30000u, static_cast<uint32_t>(number), blockSize };
    for (size_t i = 0; i < 4; ++i) {
        for (size_t b = 0; b < 4; ++b)
            header[i * 4 + b] = static_cast<uint8_t>(fields[i] >> (8 * b));
    }
    WriteFile("data_" + std::to_string(number), header, sizeof(header), blocks, size);
}

// Every entry and every body, each body bounded.
inline void ReadWholeCache()
{
    OpenedCache opened = OpenCacheFolder(Folder());
    if (!opened.reader)
        return;
    CacheEntry entry;
    uint64_t entries = 0;
    while (opened.reader->Next(entry, nullptr)) {
        Check(!entry.key.empty());
        uint64_t decoded = 0;
        BodyDecodeResult result = ReadEntryBody(*opened.reader, entry, 1 << 16, nullptr,
                                                [&decoded](const uint8_t*, size_t size) {
                                                    decoded += size;
                                                    return true;
                                                });
        Check(result.decodedBytes == decoded && decoded <= (1 << 16));
        Check(++entries < 100000);
    }
}

}  // namespace fuzz
