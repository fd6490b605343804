#include "sources/cache_census.h"

#include "caches/cache_files.h"
#include "caches/cache_reader.h"
#include "platform/folder_search.h"

#include <windows.h>

#include <cstdio>

namespace {

// More entries than a browser keeps; the count stops there.
const uint64_t kMostEntries = 1000000;
const int kDeepestFolder = 16;
// Files of a cache folder tried when the reader cannot open it.
const size_t kFilesTried = 256;

const char* FormatText(CacheFormat format)
{
    switch (format) {
    case CacheFormat::ChromiumBlockfile:
        return "Chromium blockfile";
    case CacheFormat::ChromiumSimple:
        return "Chromium simple";
    case CacheFormat::ChromiumSql:
        return "Chromium SQL";
    case CacheFormat::FirefoxCache2:
        return "Firefox cache2";
    case CacheFormat::None:
        break;
    }
    return "";
}

// Every file the walk of the Internet cache would look at, as it walks:
// depth first, folders whose names start with '.' passed over.
void CountInetFiles(const std::string& folder, int depth, const CacheStopCheck& stop,
                    CacheCensus& census)
{
    if (depth > kDeepestFolder || census.cut)
        return;
    CFolderSearch search;
    WIN32_FIND_DATAA entry;
    if (!search.First((folder + "\\*.*").c_str(), entry))
        return;
    do {
        if (stop && stop()) {
            census.cut = true;
            return;
        }
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (entry.cFileName[0] != '.')
                CountInetFiles(folder + "\\" + entry.cFileName, depth + 1, stop, census);
        } else if (++census.entries >= kMostEntries) {
            census.cut = true;
        }
    } while (!census.cut && search.Next(entry));
}

// Why a folder the reader could not open cannot be read: a file another
// program holds without sharing (a running browser), or one this user may
// not read. Opened for reading with every sharing mode and closed at once,
// so the cache is never changed.
std::string BlockedFileProblem(const std::string& folder)
{
    for (const std::string& name : ListCacheFolder(folder, kFilesTried)) {
        std::string path = JoinCachePath(folder, name);
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            continue;
        }
        DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            return "locked by another program (" + name + ")";
        if (error == ERROR_ACCESS_DENIED)
            return "unreadable: access denied (" + name + ")";
    }
    return "";
}

void CountBrowserEntries(const std::string& folder, const CacheStopCheck& stop, CacheCensus& census)
{
    std::string blocked = BlockedFileProblem(folder);
    OpenedCache opened = OpenCacheFolder(folder);
    census.format = FormatText(opened.format);
    if (!opened.reader) {
        census.problem = blocked.empty() ? opened.problem : blocked;
        return;
    }
    CacheEntry entry;
    while (opened.reader->Next(entry, stop)) {
        ++census.entries;
        if (entry.body == BodyAvailability::Unreadable)
            ++census.unreadable;
        if (census.entries >= kMostEntries) {
            census.cut = true;
            break;
        }
    }
    if (stop && stop())
        census.cut = true;
    census.unreadable += opened.reader->SkippedEntries();
    census.counted = true;
    // A reader that gets past a locked file shows what it could read; the
    // row still says what held it back.
    if (!blocked.empty())
        census.problem = blocked;
}

}  // namespace

CacheCensus TakeCacheCensus(const ChosenCache& cache, const CacheStopCheck& stop)
{
    CacheCensus census;
    if (cache.kind == CacheSourceKind::InetCache) {
        census.format = "WinINet";
        DWORD attributes = ::GetFileAttributesA(cache.folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            census.problem = "no such folder";
            return census;
        }
        CountInetFiles(cache.folder, 0, stop, census);
        census.counted = true;
        return census;
    }
    CountBrowserEntries(cache.folder, stop, census);
    return census;
}

std::string CensusText(const CacheCensus& census)
{
    if (!census.counted)
        return census.problem.empty() ? "cannot be read" : census.problem;
    char count[64];
    std::snprintf(count, sizeof(count), census.cut ? "over %llu" : "%llu",
                  static_cast<unsigned long long>(census.entries));
    std::string text = count;
    if (census.unreadable > 0) {
        std::snprintf(count, sizeof(count), " (%llu unreadable)",
                      static_cast<unsigned long long>(census.unreadable));
        text += count;
    }
    if (!census.problem.empty())
        text += "; " + census.problem;
    return text;
}
