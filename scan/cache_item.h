// The records behind a category list's rows, kept by the list in scan order.
// A file's record holds the cache file's full path; an entry's record holds
// its row name there, and answers for its body itself, so a browser copies,
// drills and shows any row without knowing its kind.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>

class CachedEntry;
class CEntryTempFiles;
class CImageObject;

// Reads a row's bytes whole into memory, followed by a NUL; null when there
// are more than bound of them, they cannot be read, the memory is not there
// or stop (asked between blocks) answered true. It holds what it reads from,
// not the record, so a reader on another thread may outlive the row.
using ContentReader =
    std::function<std::unique_ptr<char[]>(uint64_t bound, const std::function<bool()>& stop)>;

struct CacheItem {
    virtual ~CacheItem() = default;

    // Records come from their own heap (scan/record_heap.h).
    static void* operator new(size_t size);
    static void* operator new(size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* record) noexcept;

    // Writes the row's bytes as a new file at target: the file's copy, or
    // the entry's decoded body. False on any failure; the caller removes
    // what was written.
    virtual bool WriteCopy(const char* target) const;
    // What a failure message names: the file's full path, the entry's URL.
    virtual std::string Label() const { return path; }
    // The browser cache's entry a row was made from, for Drill to describe;
    // null for a file, whose source is found by its path in the WinINet index.
    virtual std::shared_ptr<const CachedEntry> SourceEntry() const { return nullptr; }
    // The row as a file other programs can open: the file itself, or the
    // entry's decoded body written among the list's temporary files. "" when
    // it cannot be written.
    virtual std::string FileForPrograms(CEntryTempFiles& files) const;
    // The file's bytes as stored, the entry's decoded body.
    virtual ContentReader Content() const;

    char path[MAX_PATH];
};

struct ImageItem : CacheItem {
    // The picture decoded at its full size: the file by its extension's
    // type, as the picture window always read it.
    virtual void LoadPicture(CImageObject& image) const;

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
