// The records behind a category list's rows, kept by the list in scan order.
// Every record holds the cache file's full path, so any browser can read a
// row's path without knowing its kind.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <new>

struct CacheItem {
    virtual ~CacheItem() = default;

    // Records come from a heap of their own. They live as long as the list,
    // one more with each row, while decoding allocates and frees larger
    // blocks between them: in the common heap each record would split the
    // space decoding frees, and the free lists every later allocation
    // searches would grow with the rows.
    static void* operator new(size_t size);
    static void* operator new(size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* record) noexcept;

    char path[MAX_PATH];
};

struct ImageItem : CacheItem {
    uint32_t width;  // as decoded, before scaling for the thumbnail
    uint32_t height;
    int32_t thumbnailIndex;
};

struct FileItem : CacheItem {
    int32_t iconIndex;  // in the system image list, or -1
};

// The file-name part of a path: after its last backslash.
inline const char* FileNamePart(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\')
            name = p + 1;
    return name;
}
