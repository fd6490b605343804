// Where the viewer goes and where the installer remembers that it went.
#pragma once
#include <windows.h>

// HKEY_LOCAL_MACHINE (and, for the viewer's settings, HKEY_CURRENT_USER) key.
extern const char kProductKey[];
extern const char kInstalledFolderValue[];

// Each fills a MAX_PATH buffer; false leaves it empty.
bool ReadInstalledFolder(char* folder);
bool WriteInstalledFolder(const char* folder);
// The "ProgramFilesDir" value, else the "ProgramFiles" environment variable.
bool ReadProgramFilesFolder(char* folder);
// The Program Files folder plus "\KeldraWorks\ZEMA".
bool DefaultInstallFolder(char* folder);
// "%s\ZEMA.exe" of the folder, normalised; false when it would not fit.
bool InstalledProgramPath(const char* folder, char* path);
// The record names a folder whose ZEMA.exe exists as a file; its folder is
// left in the buffer.
bool IsProgramInstalled(char* folder);
