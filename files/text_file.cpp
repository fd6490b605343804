#include "files/text_file.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// Large enough that the checks between blocks cost nothing, small enough
// that a stop is heard within milliseconds.
constexpr DWORD blockSize = 1u << 20;

long FindInText(const char* text, const char* searchText)
{
    const char* hit = ::StrStrIA(text, searchText);
    return hit ? static_cast<long>(hit - text) : -1;
}

}  // namespace

std::unique_ptr<char[]> ReadTextFile(const char* path, const StopCheck& stopRequested)
{
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.Get(), &size) ||
        static_cast<uint64_t>(size.QuadPart) > maxTextFileSize)
        return nullptr;
    const DWORD length = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<char[]> text(new (std::nothrow) char[length + 1]);
    if (!text)
        return nullptr;
    DWORD total = 0;
    while (total < length) {
        if (stopRequested && stopRequested())
            return nullptr;
        DWORD read = 0;
        if (!::ReadFile(file.Get(), text.get() + total, std::min(blockSize, length - total), &read,
                        nullptr))
            return nullptr;
        if (read == 0)
            break;
        total += read;
    }
    text[total] = '\0';
    return text;
}

// Each block but the last is searched in a copy that holds the search text's
// length less one of the next block as well, so that a hit across two blocks
// is found in the first; the last, which holds nearly every file whole, is
// searched where it lies, up to the text's NUL.
long FindSearchText(const char* text, uint64_t length, const char* searchText,
                    const StopCheck& stopRequested)
{
    if (!*searchText)
        return -1;
    const uint64_t overlap = std::strlen(searchText) - 1;
    std::string block;
    for (uint64_t start = 0; start < length; start += blockSize) {
        if (stopRequested && stopRequested())
            return -1;
        long hit;
        if (length - start <= blockSize + overlap) {
            hit = FindInText(text + start, searchText);
        } else {
            block.assign(text + start, static_cast<size_t>(blockSize + overlap));
            hit = FindInText(block.c_str(), searchText);
        }
        if (hit >= 0)
            return static_cast<long>(start + static_cast<uint64_t>(hit));
    }
    return -1;
}
