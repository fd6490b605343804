// What the installer puts on disk and takes away again.
#pragma once
#include <windows.h>

// Creates the folder with every missing parent; true when it exists as a
// directory afterwards.
bool CreateFolderPath(const char* folder);
// Writes the bytes beside the target and moves them over it only once every
// byte is on disk, so a short write leaves any previous file as it was.
bool WriteWholeFile(const char* target, const void* data, DWORD size);
// The "BIN" 201 resource of the module, written with WriteWholeFile.
bool WritePayload(HMODULE module, const char* target);
// ZEMA.lnk in the KeldraWorks group of the programs folder, pointing at the
// program; failures are not reported.
void CreateProgramShortcut(const char* program);
// Every ZEMA.lnk of both KeldraWorks groups, then the groups when empty.
void RemoveProgramShortcuts();
// ZEMA.exe of the folder, then the folder when empty. An empty folder name
// deletes nothing: "\ZEMA.exe" would be the root of the current drive.
void RemoveProgramFiles(const char* folder);
