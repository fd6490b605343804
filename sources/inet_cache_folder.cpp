#include "sources/inet_cache_folder.h"

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

namespace {

bool IsFile(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool HoldsInetIndex(const std::string& folder)
{
    return IsFile(folder + "\\index.dat") || IsFile(folder + "\\container.dat");
}

}  // namespace

bool IsInetCacheFolder(const std::string& folder)
{
    return HoldsInetIndex(folder) || HoldsInetIndex(folder + "\\Content.IE5") ||
           HoldsInetIndex(folder + "\\IE");
}
