#include "sources/local_app_data.h"

#include <windows.h>

#include <shlobj.h>

std::string LocalAppDataFolder()
{
    char folder[MAX_PATH] = {};
    if (FAILED(
            ::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return "";
    return folder;
}
