#include "scan/cache_item.h"

#include "images/codec/image_object.h"
#include "images/codec/image_types.h"
#include "scan/file_content.h"
#include "scan/record_heap.h"

void* CacheItem::operator new(size_t size, const std::nothrow_t&) noexcept
{
    return AllocateRecordMemory(size);
}

void* CacheItem::operator new(size_t size)
{
    if (void* record = operator new(size, std::nothrow))
        return record;
    throw std::bad_alloc();
}

void CacheItem::operator delete(void* record) noexcept
{
    FreeRecordMemory(record);
}

bool CacheItem::WriteCopy(const char* target) const
{
    return ::CopyFileA(path, target, FALSE) != FALSE;
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
