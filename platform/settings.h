// The settings store: string values in the registry, under the program's own
// key in the current user's hive or under any key the caller names.
#pragma once
#include <windows.h>

#include <string>

// HKEY_CURRENT_USER subkey that holds the remembered Copy To folders.
extern const char kSettingsKey[];

int CreateRegKey(HKEY root, const char* subkey);
HKEY OpenRegKeyForRead(HKEY root, const char* subkey);
HKEY OpenRegKeyForWrite(HKEY root, const char* subkey);

// The value as a NUL-terminated string in the buffer; a value that does not
// fit, terminator included, fails and leaves the buffer empty.
int ReadRegString(HKEY root, const char* subkey, const char* valueName, char* buffer,
                  DWORD bufferSize);
// The value at whatever length it has (up to 32,767 characters), without a
// caller's buffer to outgrow; false when it is missing or longer.
bool ReadRegText(HKEY root, const char* subkey, const char* valueName, std::string& text);

// A null text is stored as the empty string.
int WriteRegString(HKEY root, const char* subkey, const char* valueName, const char* text);

int ReadSetting(const char* valueName, char* buffer, DWORD bufferSize);
bool ReadSettingText(const char* valueName, std::string& text);
int WriteSetting(const char* valueName, const char* text);
