// The two walks' reading alone, without thumbnails or rows, as the scan
// reads: every entry of a browser cache with its body in memory, and every
// file under a WinINet folder through the C library's buffered stream the
// picture decoder reads files with. What a scan costs beyond these is the
// pictures' decoding and the list's rows.
#pragma once
#include <cstdint>
#include <string>

struct ReadWalk {
    uint64_t items = 0;
    uint64_t bytes = 0;
};

ReadWalk ReadCacheEntries(const std::string& folder);
ReadWalk ReadFolderFiles(const std::string& folder);
