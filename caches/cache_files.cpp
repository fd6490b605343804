#include "caches/cache_files.h"

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
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

int SeekTo(std::FILE* file, uint64_t offset)
{
#ifdef _WIN32
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET);
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

}  // namespace

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

std::vector<std::string> ListCacheFolder(const std::string& folder, size_t limit)
{
    std::vector<std::string> names;
#ifdef _WIN32
    struct __finddata64_t found;
    intptr_t handle = _findfirst64(JoinCachePath(folder, "*").c_str(), &found);
    if (handle == -1)
        return names;
    do {
        if (found.attrib & _A_SUBDIR)
            continue;
        names.emplace_back(found.name);
    } while (names.size() < limit && _findnext64(handle, &found) == 0);
    _findclose(handle);
#else
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    while (names.size() < limit) {
        struct dirent* item = readdir(dir);
        if (!item)
            break;
        std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        // d_type is not filled on every file system; stat settles the unknown ones.
        if (item->d_type == DT_DIR)
            continue;
        if (item->d_type == DT_UNKNOWN && !CacheFileExists(JoinCachePath(folder, name)))
            continue;
        names.push_back(std::move(name));
    }
    closedir(dir);
#endif
    return names;
}

std::vector<std::string> ListCacheSubfolders(const std::string& folder, size_t limit)
{
    std::vector<std::string> names;
#ifdef _WIN32
    struct __finddata64_t found;
    intptr_t handle = _findfirst64(JoinCachePath(folder, "*").c_str(), &found);
    if (handle == -1)
        return names;
    size_t seen = 0;
    do {
        std::string name = found.name;
        if ((found.attrib & _A_SUBDIR) && name != "." && name != "..")
            names.push_back(std::move(name));
    } while (++seen < limit && _findnext64(handle, &found) == 0);
    _findclose(handle);
#else
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    for (size_t seen = 0; seen < limit; ++seen) {
        struct dirent* item = readdir(dir);
        if (!item)
            break;
        std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        if (item->d_type == DT_DIR ||
            (item->d_type == DT_UNKNOWN && CacheFolderExists(JoinCachePath(folder, name))))
            names.push_back(std::move(name));
    }
    closedir(dir);
#endif
    return names;
}

CacheFile::~CacheFile()
{
    Close();
}

bool CacheFile::Open(const std::string& path)
{
    Close();
    m_size = CacheFileSize(path);
    if (m_size < 0)
        return false;
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file)
        return false;
    m_path = path;
    return true;
}

void CacheFile::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_size = -1;
    m_path.clear();
}

int64_t CacheFile::ReadAt(uint64_t offset, void* buffer, size_t count)
{
    if (!m_file)
        return -1;
    if (count == 0)
        return 0;
    if (SeekTo(m_file, offset) != 0)
        return -1;
    size_t got = std::fread(buffer, 1, count, m_file);
    if (got < count && std::ferror(m_file)) {
        std::clearerr(m_file);
        return got > 0 ? static_cast<int64_t>(got) : -1;
    }
    std::clearerr(m_file);
    return static_cast<int64_t>(got);
}

bool CacheFile::ReadExact(uint64_t offset, void* buffer, size_t count)
{
    return ReadAt(offset, buffer, count) == static_cast<int64_t>(count);
}
