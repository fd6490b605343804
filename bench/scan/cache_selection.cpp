#include "bench/scan/cache_selection.h"

#include "platform/settings.h"
#include "sources/cache_choice.h"

#include <windows.h>

namespace {

const char kVendorKey[] = "Software\\KELDRAWORKS";
const char* const kChoiceValues[] = { "AddedCacheFolders", "UncheckedCacheFolders" };
// What a Windows installation names for the pictures the site serves; a fresh
// Wine prefix lacks some, and the default scan of files asks the registry.
const char* const kPictureTypes[][2] = {
    { ".jpg", "image/jpeg" },  { ".png", "image/png" },    { ".gif", "image/gif" },
    { ".webp", "image/webp" }, { ".ico", "image/x-icon" },
};

bool KeyExists(HKEY root, const char* subkey)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void DeleteSetting(const char* valueName)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueA(key, valueName);
        ::RegCloseKey(key);
    }
}

bool SameFolder(const std::string& a, const std::string& b)
{
    return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace

CacheSelection::CacheSelection() : m_vendorKeyWasThere(KeyExists(HKEY_CURRENT_USER, kVendorKey))
{
    for (const char* name : kChoiceValues) {
        KeptValue kept;
        kept.name = name;
        kept.present = ReadSettingText(name, kept.text);
        m_choice.push_back(kept);
        DeleteSetting(name);
    }
    for (const auto& type : kPictureTypes)
        AddContentType(type[0], type[1]);
}

void CacheSelection::AddContentType(const char* extension, const char* contentType)
{
    std::string named;
    if (ReadRegText(HKEY_CLASSES_ROOT, extension, "Content Type", named))
        return;
    AddedType added{ extension, KeyExists(HKEY_CLASSES_ROOT, extension) };
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, extension, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    if (::RegSetValueExA(key, "Content Type", 0, REG_SZ, reinterpret_cast<const BYTE*>(contentType),
                         static_cast<DWORD>(lstrlenA(contentType) + 1)) == ERROR_SUCCESS)
        m_typesAdded.push_back(added);
    ::RegCloseKey(key);
}

void CacheSelection::RemoveContentType(const AddedType& added)
{
    if (!added.keyWasThere) {
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, added.extension.c_str());
        return;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, added.extension.c_str(), 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        ::RegDeleteValueA(key, "Content Type");
        ::RegCloseKey(key);
    }
}

CacheSelection::~CacheSelection()
{
    for (const KeptValue& kept : m_choice) {
        if (kept.present)
            WriteSetting(kept.name.c_str(), kept.text.c_str());
        else
            DeleteSetting(kept.name.c_str());
    }
    if (!m_vendorKeyWasThere)
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kVendorKey);
    for (const AddedType& added : m_typesAdded)
        RemoveContentType(added);
}

bool CacheSelection::ReadOnly(const std::string& folder, std::string& problem)
{
    CCacheChoice choice;
    choice.Load();
    if (!choice.Lists(folder)) {
        ChosenCache cache;
        if (!RecogniseCacheFolder(folder, cache, problem) || !choice.Add(cache)) {
            problem = folder + ": " + problem;
            return false;
        }
    }
    for (size_t row = 0; row < choice.Rows().size(); ++row)
        choice.SetChecked(row, SameFolder(choice.Rows()[row].cache.folder, folder));
    if (!choice.Save()) {
        problem = "the settings store did not keep the choice";
        return false;
    }
    return true;
}
