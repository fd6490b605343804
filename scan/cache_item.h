// The records behind a category list's rows, kept by the list in scan order.
// Every record holds the cache file's full path, so any browser can read a
// row's path without knowing its kind.
#pragma once
#include <windows.h>

#include <cstdint>

struct CacheItem {
    virtual ~CacheItem() = default;
    char path[MAX_PATH];
};

struct ImageItem : CacheItem {
    uint32_t width;   // as decoded, before scaling for the thumbnail
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
