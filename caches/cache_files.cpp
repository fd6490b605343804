#include "caches/cache_files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
bool StatPath(const std::string& path, struct _stat64& info)
{
    return _stat64(path.c_str(), &info) == 0;
}
bool IsRegular(const struct _stat64& info)
{
    return (info.st_mode & _S_IFMT) == _S_IFREG;
}
bool IsFolder(const struct _stat64& info)
{
    return (info.st_mode & _S_IFMT) == _S_IFDIR;
}
#else
bool StatPath(const std::string& path, struct stat& info)
{
    return stat(path.c_str(), &info) == 0;
}
bool IsRegular(const struct stat& info)
{
    return S_ISREG(info.st_mode);
}
bool IsFolder(const struct stat& info)
{
    return S_ISDIR(info.st_mode);
}
#endif

// The open file's kind and size from its handle: the path is looked up once.
int64_t RegularFileSize(int handle)
{
#ifdef _WIN32
    struct _stat64 info;
    if (_fstat64(handle, &info) != 0 || !IsRegular(info))
        return -1;
#else
    struct stat info;
    if (fstat(handle, &info) != 0 || !IsRegular(info))
        return -1;
#endif
    return static_cast<int64_t>(info.st_size);
}

#ifdef _WIN32
// Set once at start-up, before any reader runs, and read by every worker.
std::atomic<CacheFileOpener> g_opener{ nullptr };
#endif

int OpenReadOnly(const std::string& path)
{
#ifdef _WIN32
    if (CacheFileOpener opener = g_opener.load())
        return opener(path.c_str());
    return _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
#else
    // Non-blocking, so a FIFO named like an entry does not hang the open; the
    // size check then turns it away. Reads of a regular file are unaffected.
    return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
#endif
}

void CloseFileHandle(int handle)
{
#ifdef _WIN32
    _close(handle);
#else
    close(handle);
#endif
}

// One read at `offset`: bytes read, 0 at the end, -1 on an error.
int64_t ReadOnce(int handle, uint64_t offset, uint8_t* buffer, size_t count)
{
#ifdef _WIN32
    // The CRT has no positioned read; the handle is this object's alone.
    if (_lseeki64(handle, static_cast<__int64>(offset), SEEK_SET) < 0)
        return -1;
    unsigned chunk = static_cast<unsigned>(std::min<size_t>(count, 1u << 30));
    return _read(handle, buffer, chunk);
#else
    size_t chunk = std::min<size_t>(count, 1u << 30);
    while (true) {
        ssize_t got = pread(handle, buffer, chunk, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR)
            return got;
    }
#endif
}

}  // namespace

void SetCacheFileOpener(CacheFileOpener opener)
{
#ifdef _WIN32
    g_opener.store(opener);
#else
    (void)opener;
#endif
}

std::string JoinCachePath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    char last = folder.back();
    if (last == '/' || last == '\\')
        return folder + name;
#ifdef _WIN32
    return folder + "\\" + name;
#else
    return folder + "/" + name;
#endif
}

bool CacheFileExists(const std::string& path)
{
#ifdef _WIN32
    struct _stat64 info;
#else
    struct stat info;
#endif
    return StatPath(path, info) && IsRegular(info);
}

bool CacheFolderExists(const std::string& path)
{
#ifdef _WIN32
    struct _stat64 info;
#else
    struct stat info;
#endif
    return StatPath(path, info) && IsFolder(info);
}

int64_t CacheFileSize(const std::string& path)
{
#ifdef _WIN32
    struct _stat64 info;
#else
    struct stat info;
#endif
    if (!StatPath(path, info) || !IsRegular(info))
        return -1;
    return static_cast<int64_t>(info.st_size);
}

namespace {

struct FolderItem {
    const char* name;
    bool isFolder;
    int64_t size;  // of a file, when sizes were asked for; else 0
};

// Hands each file and sub-folder directly in folder whose name begins with
// prefix ("." and ".." left out) to visit, until visit returns false. The
// platform's own listing is read once; sizes cost a look-up per name where
// the listing does not carry them, so they are read only when asked for.
template <class Visit>
void VisitFolder(const std::string& folder, const std::string& prefix, bool withSizes, Visit visit)
{
#ifdef _WIN32
    (void)withSizes;
    struct __finddata64_t found;
    intptr_t handle = _findfirst64(JoinCachePath(folder, prefix + "*").c_str(), &found);
    if (handle == -1)
        return;
    do {
        if (std::strcmp(found.name, ".") == 0 || std::strcmp(found.name, "..") == 0)
            continue;
        const bool isFolder = (found.attrib & _A_SUBDIR) != 0;
        if (!visit(FolderItem{ found.name, isFolder, static_cast<int64_t>(found.size) }))
            break;
    } while (_findnext64(handle, &found) == 0);
    _findclose(handle);
#else
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (struct dirent* item = readdir(dir)) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0 ||
            std::strncmp(item->d_name, prefix.c_str(), prefix.size()) != 0)
            continue;
        // d_type is not filled on every file system, and a link says nothing
        // of what it leads to: stat settles those.
        bool isFolder = item->d_type == DT_DIR;
        int64_t size = 0;
        if ((item->d_type != DT_DIR && item->d_type != DT_REG) ||
            (withSizes && item->d_type == DT_REG)) {
            struct stat info;
            if (fstatat(dirfd(dir), item->d_name, &info, 0) != 0 ||
                !(IsRegular(info) || IsFolder(info)))
                continue;
            isFolder = IsFolder(info);
            size = static_cast<int64_t>(info.st_size);
        }
        if (!visit(FolderItem{ item->d_name, isFolder, size }))
            break;
    }
    closedir(dir);
#endif
}

}  // namespace

std::vector<std::string> ListCacheFolder(const std::string& folder, size_t limit)
{
    std::vector<std::string> names;
    if (limit == 0)
        return names;
    VisitFolder(folder, "", false, [&](const FolderItem& item) {
        if (!item.isFolder)
            names.emplace_back(item.name);
        return names.size() < limit;
    });
    return names;
}

std::vector<CacheFolderFile> ListCacheFolderSizes(const std::string& folder,
                                                  const std::string& prefix, size_t limit)
{
    std::vector<CacheFolderFile> files;
    if (limit == 0)
        return files;
    VisitFolder(folder, prefix, true, [&](const FolderItem& item) {
        if (!item.isFolder)
            files.push_back({ item.name, item.size });
        return files.size() < limit;
    });
    return files;
}

std::vector<std::string> ListCacheSubfolders(const std::string& folder, size_t limit)
{
    std::vector<std::string> names;
    size_t seen = 0;
    if (limit == 0)
        return names;
    VisitFolder(folder, "", false, [&](const FolderItem& item) {
        if (item.isFolder)
            names.emplace_back(item.name);
        return ++seen < limit;
    });
    return names;
}

CacheFile::~CacheFile()
{
    Close();
}

bool CacheFile::Open(const std::string& path)
{
    Close();
    int handle = OpenReadOnly(path);
    if (handle < 0)
        return false;
    int64_t size = RegularFileSize(handle);
    if (size < 0) {
        CloseFileHandle(handle);
        return false;
    }
    m_handle = handle;
    m_size = size;
    m_path = path;
    return true;
}

void CacheFile::Close()
{
    if (m_handle >= 0)
        CloseFileHandle(m_handle);
    m_handle = -1;
    m_size = -1;
    m_path.clear();
    m_windowStart = 0;
    m_windowLength = 0;
}

int64_t CacheFile::ReadFromFile(uint64_t offset, void* buffer, size_t count)
{
    const uint64_t lastOffset = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    if (offset > lastOffset || count > lastOffset - offset)
        return -1;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        int64_t got = ReadOnce(m_handle, offset + done, out + done, count - done);
        if (got < 0)
            return done > 0 ? static_cast<int64_t>(done) : -1;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

bool CacheFile::InWindow(uint64_t offset, size_t count) const
{
    return offset >= m_windowStart && offset - m_windowStart <= m_windowLength &&
           count <= m_windowLength - (offset - m_windowStart);
}

// Readers take records near the start of a file forwards and near its end
// backwards (trailers first), so a read in the last window's worth of the file
// loads that whole tail, any other read a little more than it asked for. A file
// no larger than the window is read whole at once.
bool CacheFile::FillWindow(uint64_t offset, size_t count)
{
    if (!m_window)
        m_window.reset(new uint8_t[kWindowSize]);
    uint64_t size = static_cast<uint64_t>(m_size);
    uint64_t start = offset;
    size_t want = std::max(count, kForwardWindow);
    if (size <= kWindowSize && offset < size) {
        start = 0;
        want = static_cast<size_t>(size);
    } else if (offset < size && count <= size - offset && offset + count > size - kWindowSize) {
        start = std::min<uint64_t>(offset, size - kWindowSize);
        want = kWindowSize;
    } else if (start < size) {
        // No more than the file holds, so the read does not go on to find its end.
        want = static_cast<size_t>(std::min<uint64_t>(want, size - start));
    }
    m_windowStart = start;
    m_windowLength = 0;
    int64_t got = ReadFromFile(start, m_window.get(), want);
    if (got < 0)
        return false;
    m_windowLength = static_cast<size_t>(got);
    return true;
}

int64_t CacheFile::ReadAt(uint64_t offset, void* buffer, size_t count)
{
    if (m_handle < 0)
        return -1;
    if (count == 0)
        return 0;
    if (count > kWindowSize)
        return ReadFromFile(offset, buffer, count);
    if (!InWindow(offset, count) && !FillWindow(offset, count))
        return -1;
    // The window may end early where the file did (it shrank, or the read runs past its end).
    if (offset < m_windowStart || offset - m_windowStart >= m_windowLength)
        return 0;
    size_t at = static_cast<size_t>(offset - m_windowStart);
    size_t got = std::min(count, m_windowLength - at);
    std::memcpy(buffer, m_window.get() + at, got);
    return static_cast<int64_t>(got);
}

bool CacheFile::ReadExact(uint64_t offset, void* buffer, size_t count)
{
    return ReadAt(offset, buffer, count) == static_cast<int64_t>(count);
}
