#include "files/text_file.h"

#include <windows.h>
#include <shlwapi.h>

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

}  // namespace

std::unique_ptr<char[]> ReadTextFile(const char* path)
{
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) > maxTextFileSize)
        return nullptr;
    const DWORD length = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<char[]> text(new (std::nothrow) char[length + 1]);
    DWORD read = 0;
    if (!text || !::ReadFile(file.Get(), text.get(), length, &read, nullptr))
        return nullptr;
    text[read] = '\0';
    return text;
}

long FindSearchText(const char* text, const char* searchText)
{
    if (!*searchText)
        return -1;
    const char* hit = ::StrStrIA(text, searchText);
    return hit ? static_cast<long>(hit - text) : -1;
}
