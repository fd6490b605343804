#include "tests/win/placed_caches.h"

#include "platform/settings.h"
#include "tests/win/temp_tree.h"

#include <windows.h>

#include <shlobj.h>

namespace {
constexpr char kVendorKey[] = "Software\\KELDRAWORKS";

bool VendorKeyExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kVendorKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}
}  // namespace

std::string LocalAppData()
{
    char folder[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

bool PlaceCache(const std::string& hostFolder, const std::string& folder)
{
    ::SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    std::string to = UnixPath(folder);
    return !to.empty() && RunHostCommand("mkdir -p '" + to + "' && cp -r '" + hostFolder + "/.' '" +
                                         to + "'") == 0;
}

void RemoveTree(const std::string& folder)
{
    std::string path = UnixPath(folder);
    if (!path.empty())
        RunHostCommand("rm -rf '" + path + "'");
}

CacheChoiceReset::CacheChoiceReset() : m_vendorKeyWasThere(VendorKeyExists())
{
    Clear();
}

CacheChoiceReset::~CacheChoiceReset()
{
    Clear();
}

void CacheChoiceReset::Clear()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueA(key, "AddedCacheFolders");
        ::RegDeleteValueA(key, "UncheckedCacheFolders");
        ::RegCloseKey(key);
    }
    if (!m_vendorKeyWasThere)
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kVendorKey);
}

PlacedBrowserCaches::PlacedBrowserCaches(const std::string& hostRoot)
{
    const std::string local = LocalAppData();
    const std::string chrome = local + "\\Google";
    // Never all of "Microsoft": the prefix keeps its Internet cache there.
    const std::string edge = local + "\\Microsoft\\Edge";
    const std::string brave = local + "\\BraveSoftware";
    const std::string firefox = local + "\\Mozilla";
    m_browserFolders = { chrome, edge, brave, firefox };
    m_caches = {
        { "chromium-blockfile", "Chrome (Default)",
          chrome + "\\Chrome\\User Data\\Default\\Cache\\Cache_Data" },
        { "chromium-simple", "Edge (Profile 1)",
          edge + "\\User Data\\Profile 1\\Cache\\Cache_Data" },
        { "chromium-sql", "Brave (Default)",
          brave + "\\Brave-Browser\\User Data\\Default\\Cache\\Cache_Data" },
        { "firefox", "Firefox (test.default-release)",
          firefox + "\\Firefox\\Profiles\\test.default-release\\cache2" },
    };
    for (const Placed& cache : m_caches)
        m_allPlaced = PlaceCache(hostRoot + "/" + cache.made, cache.folder) && m_allPlaced;
}

PlacedBrowserCaches::~PlacedBrowserCaches()
{
    for (const std::string& folder : m_browserFolders)
        RemoveTree(folder);
}
