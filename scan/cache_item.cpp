#include "scan/cache_item.h"

#include "images/codec/image_object.h"
#include "images/codec/image_types.h"
#include "scan/file_content.h"

namespace {

// Created on first use, by whichever thread makes the first record, and kept
// for the life of the program like the process heap.
HANDLE RecordHeap()
{
    static const HANDLE heap = ::HeapCreate(0, 0, 0);
    return heap;
}

}  // namespace

void* CacheItem::operator new(size_t size, const std::nothrow_t&) noexcept
{
    HANDLE heap = RecordHeap();
    return heap ? ::HeapAlloc(heap, 0, size) : nullptr;
}

void* CacheItem::operator new(size_t size)
{
    if (void* record = operator new(size, std::nothrow))
        return record;
    throw std::bad_alloc();
}

void CacheItem::operator delete(void* record) noexcept
{
    if (record)
        ::HeapFree(RecordHeap(), 0, record);
}

bool CacheItem::WriteCopy(const char* target) const
{
    return ::CopyFileA(path, target, FALSE) != FALSE;
}

bool CacheItem::KnownSource(std::string&, std::string&) const
{
    return false;
}

std::string CacheItem::FileForPrograms(CEntryTempFiles&) const
{
    return path;
}

ContentReader CacheItem::Content() const
{
    return [file = std::string(path)](uint64_t bound, const std::function<bool()>& stop) {
        return ReadFileContent(file.c_str(), bound, stop);
    };
}

void ImageItem::LoadPicture(CImageObject& image) const
{
    image.Load(path, TypeFromExtension(path));
}
