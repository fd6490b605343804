// The one file layer of the cache readers: 64-bit sizes and offsets on both
// platforms, ANSI paths on Windows (the viewer is an 8-bit code page program),
// no <windows.h>.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

std::string JoinCachePath(const std::string& folder, const std::string& name);
bool CacheFileExists(const std::string& path);
bool CacheFolderExists(const std::string& path);
// -1 when the file cannot be examined.
int64_t CacheFileSize(const std::string& path);

// How the readers open a cache file on Windows, as a C runtime descriptor (-1
// when it cannot be opened). The C runtime's own open shares reading and
// writing but not deleting, so a browser running meanwhile could not delete
// or rename an entry file while it is read. The program installs an opener
// that shares all three before any reader runs; without one, the C runtime's
// open is used. Elsewhere a file open never stands in a deletion's way.
using CacheFileOpener = int (*)(const char* path);
void SetCacheFileOpener(CacheFileOpener opener);

// The plain files directly in `folder`, at most `limit` names (a hostile folder
// cannot make the listing unbounded); "." and ".." and sub-folders left out.
std::vector<std::string> ListCacheFolder(const std::string& folder, size_t limit);
// The sub-folders among the first `limit` entries directly in `folder` (files
// count towards the limit too, so a folder of junk costs no more than that).
std::vector<std::string> ListCacheSubfolders(const std::string& folder, size_t limit);

struct CacheFolderFile {
    std::string name;
    int64_t size = 0;
};
// The plain files in `folder` whose names start with `prefix`, with their sizes,
// at most `limit`: one pass of the folder where a size per name would cost a
// look-up of the whole path each (Windows' listing carries the sizes).
std::vector<CacheFolderFile> ListCacheFolderSizes(const std::string& folder,
                                                  const std::string& prefix, size_t limit);

// A read-only file read at explicit offsets, without stdio (whose buffer is
// dropped on every seek). Small reads are served from a window of the file read
// once, so the few neighbouring records a reader takes from one entry (a header
// and its key, a trailer and the record before it) cost one system call. Every
// read says how much it got, so a file that shrinks or disappears mid-read shows
// as a short read, never as garbage.
class CacheFile {
public:
    // Reads up to this size go through the window. A file's last kWindowSize
    // bytes are read at once (a Chromium response info over HTTPS, a Firefox
    // metadata block with its certificates fit); elsewhere the window reaches
    // kForwardWindow past the read (a header and its key).
    static constexpr size_t kWindowSize = 8 * 1024;
    static constexpr size_t kForwardWindow = 1024;

    CacheFile() = default;
    ~CacheFile();
    CacheFile(const CacheFile&) = delete;
    CacheFile& operator=(const CacheFile&) = delete;

    // False for anything but a regular file; the size is the open file's.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_handle >= 0; }
    int64_t Size() const { return m_size; }
    const std::string& Path() const { return m_path; }
    // Bytes read (0 past the end), -1 on an error.
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count);
    // True only when all `count` bytes were read.
    bool ReadExact(uint64_t offset, void* buffer, size_t count);

private:
    int64_t ReadFromFile(uint64_t offset, void* buffer, size_t count);
    bool InWindow(uint64_t offset, size_t count) const;
    bool FillWindow(uint64_t offset, size_t count);

    int m_handle = -1;
    int64_t m_size = -1;
    std::string m_path;
    std::unique_ptr<uint8_t[]> m_window;
    uint64_t m_windowStart = 0;
    size_t m_windowLength = 0;
};

// Little-endian loads from bytes already checked to be there.
inline uint16_t LoadLe16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t LoadLe64(const uint8_t* p)
{
    return static_cast<uint64_t>(LoadLe32(p)) | (static_cast<uint64_t>(LoadLe32(p + 4)) << 32);
}
