#include "scan/file_content.h"

#include <windows.h>

#include <algorithm>
#include <new>

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

}  // namespace

// One allocation of the file's size: a 32-bit process cannot count on the
// room a growing buffer would ask for on the way.
std::unique_ptr<char[]> ReadFileContent(const char* path, uint64_t bound,
                                        const std::function<bool()>& stopRequested)
{
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > bound ||
        static_cast<uint64_t>(size.QuadPart) >= 0xFFFFFFFFu)
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
