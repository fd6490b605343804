#include "caches/cache_pages.h"

#include <algorithm>
#include <cstring>

namespace {

// A block file holds at most 65,536 blocks of 4 KiB past its header: page
// numbers stay far below 2^40.
uint64_t PageKey(uint32_t fileId, uint64_t pageIndex)
{
    return (static_cast<uint64_t>(fileId) << 40) | pageIndex;
}

}  // namespace

CachePages::CachePages(size_t pageSize, size_t maxPages)
    : m_pageSize(pageSize), m_maxPages(std::max<size_t>(maxPages, 1))
{}

// Pages leave in the order they came (a ring): the readers walk their files
// mostly forwards, so the oldest page is the one least likely to be asked again.
const CachePages::Page* CachePages::Load(CacheFile& file, uint32_t fileId, uint64_t pageIndex)
{
    uint64_t key = PageKey(fileId, pageIndex);
    auto found = m_slots.find(key);
    if (found != m_slots.end())
        return &m_pages[found->second];
    size_t slot = m_pages.size();
    if (slot < m_maxPages) {
        m_pages.emplace_back();
    } else {
        slot = m_nextVictim;
        m_nextVictim = (m_nextVictim + 1) % m_maxPages;
        m_slots.erase(m_pages[slot].key);
    }
    Page& page = m_pages[slot];
    if (!page.bytes)
        page.bytes.reset(new uint8_t[m_pageSize]);
    int64_t got = file.ReadAt(pageIndex * m_pageSize, page.bytes.get(), m_pageSize);
    if (got < 0) {
        // Nothing is kept for a failed read: the slot is reused as it is.
        page.key = ~0ull;
        page.length = 0;
        return nullptr;
    }
    page.key = key;
    page.length = static_cast<size_t>(got);
    m_slots[key] = slot;
    return &page;
}

bool CachePages::ReadExact(CacheFile& file, uint32_t fileId, uint64_t offset, void* buffer,
                           size_t count)
{
    if (fileId >= (1u << 24) || offset > (1ull << 52) || count > (1ull << 52) - offset)
        return false;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        uint64_t pageIndex = offset / m_pageSize;
        size_t at = static_cast<size_t>(offset % m_pageSize);
        const Page* page = Load(file, fileId, pageIndex);
        if (!page || page->length <= at)
            return false;
        size_t take = std::min(count, page->length - at);
        std::memcpy(out, page->bytes.get() + at, take);
        out += take;
        offset += take;
        count -= take;
        if (count > 0 && page->length < m_pageSize)
            return false;
    }
    return true;
}
