#include "scan/entry_temp_files.h"

#include "platform/folder_search.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kFolderPrefix[] = "Zema-";

std::string TempRoot()
{
    char root[MAX_PATH] = {};
    DWORD length = ::GetTempPathA(MAX_PATH, root);
    if (length == 0 || length >= MAX_PATH)
        return "";
    return root;
}

std::string ProcessFolder()
{
    std::string root = TempRoot();
    return root.empty() ? "" : root + kFolderPrefix + std::to_string(::GetCurrentProcessId());
}

// Lists, and their entries' files, each in a folder numbered by this count:
// two rows or two windows with the same name never meet.
std::string NextNumber()
{
    static std::atomic<unsigned> next{ 0 };
    return std::to_string(++next);
}

bool MakeFolder(const std::string& folder)
{
    return ::CreateDirectoryA(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// Everything under folder, then the folder. The search passes links over, so
// the removal never leaves the folder it was given.
void RemoveTree(const std::string& folder)
{
    CFolderSearch search;
    WIN32_FIND_DATAA found;
    if (search.First((folder + "\\*").c_str(), found)) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (search.Next(found));
    }
    ::RemoveDirectoryA(folder.c_str());
}

bool ProcessHasEnded(DWORD id)
{
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

}  // namespace

CEntryTempFiles::~CEntryTempFiles()
{
    RemoveAll();
}

std::string CEntryTempFiles::FileFor(const std::shared_ptr<const CachedEntry>& entry,
                                     const char* rowName)
{
    auto written = m_written.find(entry);
    if (written != m_written.end())
        return written->second;
    if (!MakeFolder())
        return "";
    std::string folder = m_folder + "\\" + NextNumber();
    std::string file = folder + "\\" + rowName;
    if (file.size() >= MAX_PATH || !::MakeFolder(folder))
        return "";
    if (!entry->WriteBody(file.c_str())) {
        RemoveTree(folder);
        return "";
    }
    m_written[entry] = file;
    return file;
}

bool CEntryTempFiles::MakeFolder()
{
    if (!m_folder.empty())
        return true;
    std::string process = ProcessFolder();
    if (process.empty() || !::MakeFolder(process))
        return false;
    std::string folder = process + "\\" + NextNumber();
    if (!::MakeFolder(folder))
        return false;
    m_folder = folder;
    return true;
}

// The process's folder goes with its last list's folder; while another list
// keeps files in it, its removal fails and it stays.
void CEntryTempFiles::RemoveAll()
{
    if (m_folder.empty())
        return;
    RemoveTree(m_folder);
    ::RemoveDirectoryA(ProcessFolder().c_str());
    m_written.clear();
    m_folder.clear();
}

void RemoveTempFoldersLeftBehind()
{
    std::string root = TempRoot();
    CFolderSearch search;
    WIN32_FIND_DATAA found;
    if (root.empty() || !search.First((root + kFolderPrefix + "*").c_str(), found))
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const char* digits = found.cFileName + sizeof kFolderPrefix - 1;
        char* end = nullptr;
        unsigned long id = std::strtoul(digits, &end, 10);
        if (end == digits || *end != '\0' || id == ::GetCurrentProcessId())
            continue;
        if (ProcessHasEnded(static_cast<DWORD>(id)))
            RemoveTree(root + found.cFileName);
    } while (search.Next(found));
}
