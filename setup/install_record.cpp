#include "setup/install_record.h"

#include <stdio.h>
#include <string.h>

#include "platform/settings.h"
#include "platform/normalize_path.h"

const char kProductKey[] = "SOFTWARE\\KELDRAWORKS\\ZEMA";
const char kInstalledFolderValue[] = "Installed Folder";

namespace {

const char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

bool ReadMachineString(const char* subkey, const char* name, char* text)
{
    return ReadRegString(HKEY_LOCAL_MACHINE, subkey, name, text, MAX_PATH) != 0;
}

}  // namespace

bool ReadInstalledFolder(char* folder)
{
    return ReadMachineString(kProductKey, kInstalledFolderValue, folder);
}

bool WriteInstalledFolder(const char* folder)
{
    return WriteRegString(HKEY_LOCAL_MACHINE, kProductKey, kInstalledFolderValue, folder) != 0;
}

bool ReadProgramFilesFolder(char* folder)
{
    if (ReadMachineString(kWindowsKey, "ProgramFilesDir", folder))
        return true;
    DWORD length = ::GetEnvironmentVariableA("ProgramFiles", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        folder[0] = '\0';
        return false;
    }
    return true;
}

bool DefaultInstallFolder(char* folder)
{
    char programFiles[MAX_PATH];
    ReadProgramFilesFolder(programFiles);
    int length = snprintf(folder, MAX_PATH, "%s\\KeldraWorks\\ZEMA", programFiles);
    if (length < 0 || length >= MAX_PATH) {
        folder[0] = '\0';
        return false;
    }
    return true;
}

bool InstalledProgramPath(const char* folder, char* path)
{
    int length = snprintf(path, MAX_PATH, "%s\\ZEMA.exe", folder);
    if (length < 0 || length >= MAX_PATH) {
        path[0] = '\0';
        return false;
    }
    NormalizePath(path);
    return true;
}

bool IsProgramInstalled(char* folder)
{
    char program[MAX_PATH];
    if (!ReadInstalledFolder(folder) || !folder[0] || !InstalledProgramPath(folder, program))
        return false;
    DWORD attributes = ::GetFileAttributesA(program);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
