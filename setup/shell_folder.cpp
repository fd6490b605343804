#include "setup/shell_folder.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

bool ResolveSpecialFolder(int csidl, char* path)
{
    path[0] = '\0';
    LPITEMIDLIST list = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(::GetDesktopWindow(), csidl, &list)))
        return false;
    if (!::SHGetPathFromIDListA(list, path))
        path[0] = '\0';
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&allocator))) {
        allocator->Free(list);
        allocator->Release();
    }
    size_t length = strlen(path);
    if (length && path[length - 1] == '\\')
        path[length - 1] = '\0';
    return path[0] != '\0';
}

bool ResolveProgramsFolder(char* path)
{
    return ResolveSpecialFolder(CSIDL_COMMON_PROGRAMS, path) ||
           ResolveSpecialFolder(CSIDL_PROGRAMS, path);
}

bool ProgramGroupFolder(int csidl, char* path)
{
    char programs[MAX_PATH];
    if (!ResolveSpecialFolder(csidl, programs))
        return false;
    int length = snprintf(path, MAX_PATH, "%s\\KeldraWorks", programs);
    return length > 0 && length < MAX_PATH;
}
