// Pages of a few large files kept in memory under one budget: the blockfile
// reader takes thousands of small records from its block files, and reading
// each page once serves all of them.
#pragma once
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "caches/cache_files.h"

class CachePages {
public:
    CachePages(size_t pageSize, size_t maxPages);
    // Like CacheFile::ReadExact; `fileId` names the file among those this
    // object serves (a file must keep its id while pages of it are kept).
    bool ReadExact(CacheFile& file, uint32_t fileId, uint64_t offset, void* buffer, size_t count);

private:
    struct Page {
        uint64_t key = 0;
        size_t length = 0;                 // short at the file's end
        std::unique_ptr<uint8_t[]> bytes;  // not cleared: only `length` bytes are ever read
    };
    const Page* Load(CacheFile& file, uint32_t fileId, uint64_t pageIndex);

    size_t m_pageSize;
    size_t m_maxPages;
    std::vector<Page> m_pages;
    std::unordered_map<uint64_t, size_t> m_slots;  // key -> index in m_pages
    size_t m_nextVictim = 0;
};
