#include "tests/win/temp_tree.h"

#include <cstdio>
#include <fstream>

namespace {

const char shellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Deletes a folder and everything under it through the wide functions with
// the \\?\ prefix, which reach paths longer than MAX_PATH. The shell's
// SHFileOperation must not be used here: Wine's cuts such paths short and
// then deletes from the wrong folder. A link is removed itself, never
// entered: what it leads to is not the tree's.
void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                if (!::DeleteFileW(path.c_str()))
                    ::RemoveDirectoryW(path.c_str());
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempTree::TempTree()
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    char name[MAX_PATH];
    // Wine reuses process ids from run to run: the tick count keeps the
    // names of two runs apart.
    std::snprintf(name, sizeof name, "%szema-test-%lu-%lu-%d", temp,
                  static_cast<unsigned long>(::GetCurrentProcessId()),
                  static_cast<unsigned long>(::GetTickCount()), ++serial);
    m_root = name;
    ::CreateDirectoryA(m_root.c_str(), nullptr);
}

TempTree::~TempTree()
{
    // Only an absolute path under the temporary folder is ever removed.
    if (m_root.size() > 3 && m_root[1] == ':' && m_root.find("zema-test-") != std::string::npos)
        RemoveTree(L"\\\\?\\" + Wide(m_root));
}

std::string TempTree::AddFolder(const std::string& relative)
{
    std::string path = m_root;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('\\', start);
        if (end == std::string::npos)
            end = relative.size();
        path += "\\" + relative.substr(start, end - start);
        ::CreateDirectoryA(path.c_str(), nullptr);
        start = end + 1;
    }
    return path;
}

std::string TempTree::AddFile(const std::string& relative, const std::string& content)
{
    size_t slash = relative.rfind('\\');
    if (slash != std::string::npos)
        AddFolder(relative.substr(0, slash));
    std::string path = m_root + "\\" + relative;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
    return path;
}

bool TempTree::AddLink(const std::string& relative, const std::string& target)
{
    std::string link = m_root + "\\" + relative;
    std::string unixTarget = UnixPath(target), unixLink = UnixPath(link);
    // Wine's CreateSymbolicLink succeeds without making a link: there the
    // host's ln makes it.
    if (unixLink.empty())
        ::CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    else
        RunHostCommand("ln -s '" + unixTarget + "' '" + unixLink + "'");
    return ::GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string UnixPath(const std::string& path)
{
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    char* name = unixName ? unixName(Wide(path).c_str()) : nullptr;
    std::string result = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

// Wine starts a host program as it would one of its own, but cannot wait
// for it: the shell writes the command's exit code to a file when it is
// done, which is waited for instead.
int RunHostCommand(const std::string& command)
{
    char folder[MAX_PATH], marker[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    if (!::GetTempFileNameA(folder, "zhc", 0, marker))
        return -1;
    std::string line = "/bin/sh -c \"" + command + "; echo $? > '" + UnixPath(marker) + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    int exitCode = -1;
    if (::CreateProcessA("Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 30000; ::Sleep(20)) {
            std::ifstream result(marker);
            if (result >> exitCode)
                break;
        }
    }
    ::DeleteFileA(marker);
    return exitCode;
}

void TempTree::SetLocalWriteTime(const std::string& path, WORD year, WORD month, WORD day,
                                 WORD hour, WORD minute)
{
    SYSTEMTIME local = {};
    local.wYear = year;
    local.wMonth = month;
    local.wDay = day;
    local.wHour = hour;
    local.wMinute = minute;
    FILETIME localTime, utc;
    ::SystemTimeToFileTime(&local, &localTime);
    ::LocalFileTimeToFileTime(&localTime, &utc);
    HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ::SetFileTime(file, nullptr, nullptr, &utc);
    ::CloseHandle(file);
}

CacheFolderOverride::CacheFolderOverride(const std::string& folder)
{
    HKEY key;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, shellFoldersKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr);
    char saved[MAX_PATH * 2] = {};
    DWORD size = sizeof saved - 1;
    m_hadValue = ::RegQueryValueExA(key, "Cache", nullptr, &m_type, reinterpret_cast<BYTE*>(saved),
                                    &size) == ERROR_SUCCESS;
    m_saved = saved;
    ::RegSetValueExA(key, "Cache", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                     static_cast<DWORD>(folder.size() + 1));
    ::RegCloseKey(key);
}

CacheFolderOverride::~CacheFolderOverride()
{
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, shellFoldersKey, 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return;
    if (m_hadValue)
        ::RegSetValueExA(key, "Cache", 0, m_type, reinterpret_cast<const BYTE*>(m_saved.c_str()),
                         static_cast<DWORD>(m_saved.size() + 1));
    else
        ::RegDeleteValueA(key, "Cache");
    ::RegCloseKey(key);
}

std::string GreyBmp()
{
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    const DWORD pixelBytes = 2 * 8;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof info;
    info.biWidth = 2;
    info.biHeight = 2;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string out(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(&info), sizeof info);
    return out + std::string(pixelBytes, '\x80');
}
