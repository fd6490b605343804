#include "platform/settings.h"

#include <algorithm>
#include <cstring>

const char kSettingsKey[] = "Software\\KELDRAWORKS\\ZEMA\\Settings";

int CreateRegKey(HKEY root, const char* subkey)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    ::RegCloseKey(key);
    return 1;
}

HKEY OpenRegKeyForRead(HKEY root, const char* subkey)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// Creates the path first, so that the first write of a value makes its key.
HKEY OpenRegKeyForWrite(HKEY root, const char* subkey)
{
    CreateRegKey(root, subkey);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, subkey, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// Whatever type the value has, its bytes are read as they are. The buffer
// always ends as a string: a value stored without its terminator gets one,
// and a value that leaves no room for it is a failed read (an empty buffer).
int ReadRegString(HKEY root, const char* subkey, const char* valueName, char* buffer,
                  DWORD bufferSize)
{
    if (!buffer || bufferSize == 0)
        return 0;
    buffer[0] = '\0';
    HKEY key = OpenRegKeyForRead(root, subkey);
    if (!key)
        return 0;
    DWORD type = REG_SZ;
    DWORD size = bufferSize;
    LONG result =
        ::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        buffer[0] = '\0';
        return 0;
    }
    if (size < bufferSize) {
        buffer[size] = '\0';
        return 1;
    }
    if (buffer[bufferSize - 1] == '\0')
        return 1;
    buffer[0] = '\0';
    return 0;
}

bool ReadRegText(HKEY root, const char* subkey, const char* valueName, std::string& text)
{
    constexpr DWORD longestText = 32767;
    text.clear();
    HKEY key = OpenRegKeyForRead(root, subkey);
    if (!key)
        return false;
    DWORD size = 0;
    LONG result = ::RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, &size);
    // The value may change between the two reads: the second is bounded by
    // the buffer, and a value that grew past it fails as too long.
    if (result == ERROR_SUCCESS && size <= longestText + 1) {
        text.resize(size + 1);
        result = ::RegQueryValueExA(key, valueName, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(&text[0]), &size);
    }
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || size > longestText + 1) {
        text.clear();
        return false;
    }
    text.resize(std::min<size_t>(size, std::strlen(text.c_str())));
    return true;
}

int WriteRegString(HKEY root, const char* subkey, const char* valueName, const char* text)
{
    HKEY key = OpenRegKeyForWrite(root, subkey);
    if (!key)
        return 0;
    if (!text)
        text = "";
    LONG result = ::RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                   static_cast<DWORD>(lstrlenA(text) + 1));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int ReadSetting(const char* valueName, char* buffer, DWORD bufferSize)
{
    return ReadRegString(HKEY_CURRENT_USER, kSettingsKey, valueName, buffer, bufferSize);
}

bool ReadSettingText(const char* valueName, std::string& text)
{
    return ReadRegText(HKEY_CURRENT_USER, kSettingsKey, valueName, text);
}

int WriteSetting(const char* valueName, const char* text)
{
    return WriteRegString(HKEY_CURRENT_USER, kSettingsKey, valueName, text);
}
