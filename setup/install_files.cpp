#include "setup/install_files.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "platform/normalize_path.h"
#include "setup/install_record.h"
#include "setup/setup_resource.h"
#include "setup/shell_folder.h"

namespace {

const char kShortcutName[] = "ZEMA.lnk";
const char kShortcutDescription[] = "Zema";
const char kPartialSuffix[] = ".new";

bool IsDirectory(const char* path)
{
    DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteNewFile(const char* path, const void* data, DWORD size)
{
    HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    ::WriteFile(file, data, size, &written, nullptr);
    bool closed = ::CloseHandle(file) != 0;
    return closed && written == size;
}

bool SaveShortcut(IShellLinkA* link, const char* linkPath)
{
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        return false;
    WCHAR widePath[MAX_PATH] = {};
    bool saved = ::MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) > 0 &&
                 SUCCEEDED(file->Save(widePath, TRUE));
    file->Release();
    return saved;
}

bool WriteShortcut(const char* linkPath, const char* target, const char* arguments,
                   const char* description)
{
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target);
    if (arguments && *arguments)
        link->SetArguments(arguments);
    link->SetDescription(description);
    link->Resolve(::GetDesktopWindow(), SLR_UPDATE);
    bool saved = SaveShortcut(link, linkPath);
    link->Release();
    return saved;
}

void RemoveShortcutsOf(int csidl)
{
    char group[MAX_PATH];
    if (!ProgramGroupFolder(csidl, group))
        return;
    char pattern[MAX_PATH];
    if (snprintf(pattern, MAX_PATH, "%s\\%s", group, kShortcutName) >= MAX_PATH)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            char entry[MAX_PATH];
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            if (snprintf(entry, MAX_PATH, "%s\\%s", group, found.cFileName) < MAX_PATH)
                ::DeleteFileA(entry);
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(group);
}

}  // namespace

bool CreateFolderPath(const char* folder)
{
    char prefix[MAX_PATH];
    size_t length = strlen(folder);
    if (length == 0 || length >= MAX_PATH)
        return false;
    // The part before the first backslash is a drive or the start of a
    // network name, never something to create.
    bool pastFirst = false;
    for (size_t i = 0; i < length; ++i) {
        if (folder[i] != '\\')
            continue;
        if (pastFirst) {
            memcpy(prefix, folder, i);
            prefix[i] = '\0';
            ::CreateDirectoryA(prefix, nullptr);
        }
        pastFirst = true;
    }
    ::CreateDirectoryA(folder, nullptr);
    return IsDirectory(folder);
}

bool WriteWholeFile(const char* target, const void* data, DWORD size)
{
    char partial[MAX_PATH];
    if (snprintf(partial, MAX_PATH, "%s%s", target, kPartialSuffix) >= MAX_PATH)
        return false;
    if (!WriteNewFile(partial, data, size)) {
        ::DeleteFileA(partial);
        return false;
    }
    if (!::MoveFileExA(partial, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(partial);
        return false;
    }
    return true;
}

bool WritePayload(HMODULE module, const char* target)
{
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_PAYLOAD), "BIN");
    if (!resource)
        return false;
    DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    return bytes && WriteWholeFile(target, bytes, size);
}

void CreateProgramShortcut(const char* program)
{
    char programs[MAX_PATH];
    if (!ResolveProgramsFolder(programs))
        return;
    char group[MAX_PATH];
    char link[MAX_PATH];
    if (snprintf(group, MAX_PATH, "%s\\KeldraWorks", programs) >= MAX_PATH ||
        snprintf(link, MAX_PATH, "%s\\%s", group, kShortcutName) >= MAX_PATH)
        return;
    ::CreateDirectoryA(group, nullptr);
    WriteShortcut(link, program, nullptr, kShortcutDescription);
}

void RemoveProgramShortcuts()
{
    RemoveShortcutsOf(CSIDL_COMMON_PROGRAMS);
    RemoveShortcutsOf(CSIDL_PROGRAMS);
}

void RemoveProgramFiles(const char* folder)
{
    char program[MAX_PATH];
    if (!folder[0] || !InstalledProgramPath(folder, program))
        return;
    ::DeleteFileA(program);
    char normalised[MAX_PATH];
    lstrcpynA(normalised, folder, MAX_PATH);
    NormalizePath(normalised);
    ::RemoveDirectoryA(normalised);
}
