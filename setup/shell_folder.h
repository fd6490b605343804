// The shell's special folders as plain file-system paths.
#pragma once
#include <windows.h>

// The folder's path without a trailing backslash into a MAX_PATH buffer;
// false (and an empty buffer) when it has none.
bool ResolveSpecialFolder(int csidl, char* path);
// The KeldraWorks group folder of the given programs folder.
bool ProgramGroupFolder(int csidl, char* path);
// The all-users programs folder, else the current user's.
bool ResolveProgramsFolder(char* path);
