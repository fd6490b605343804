#include "temp_tree.h"

#include <shellapi.h>

#include <cstdio>

namespace {

const char shellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void RemoveTree(const std::string& root)
{
    std::string from = root + '\0';  // SHFileOperation wants a double NUL
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationA(&operation);
}

}  // namespace

TempTree::TempTree()
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%szema-test-%lu-%d", temp,
                  static_cast<unsigned long>(::GetCurrentProcessId()), ++serial);
    m_root = name;
    ::CreateDirectoryA(m_root.c_str(), nullptr);
}

TempTree::~TempTree()
{
    RemoveTree(m_root);
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
    m_hadValue = ::RegQueryValueExA(key, "Cache", nullptr, &m_type,
                                    reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS;
    m_saved = saved;
    ::RegSetValueExA(key, "Cache", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                     static_cast<DWORD>(folder.size() + 1));
    ::RegCloseKey(key);
}

CacheFolderOverride::~CacheFolderOverride()
{
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, shellFoldersKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    if (m_hadValue)
        ::RegSetValueExA(key, "Cache", 0, m_type, reinterpret_cast<const BYTE*>(m_saved.c_str()),
                         static_cast<DWORD>(m_saved.size() + 1));
    else
        ::RegDeleteValueA(key, "Cache");
    ::RegCloseKey(key);
}
