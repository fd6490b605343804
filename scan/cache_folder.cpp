#include "scan/cache_folder.h"

#include <shlobj.h>

bool LocateCacheFolder(char (&folder)[MAX_PATH])
{
    folder[0] = '\0';
    LPITEMIDLIST item = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_INTERNET_CACHE, &item)) || !item)
        return false;
    BOOL converted = ::SHGetPathFromIDListA(item, folder);
    IMalloc* shellMalloc = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&shellMalloc))) {
        shellMalloc->Free(item);
        shellMalloc->Release();
    }
    if (!converted)
        folder[0] = '\0';
    return folder[0] != '\0';
}
