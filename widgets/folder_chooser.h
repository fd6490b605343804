// Asks the user for a destination folder with the shell's folder-browse
// dialog: opened at (50, 50) with the remembered folder highlighted, the
// highlighted folder's path in the status line, OK only on file-system folders.
#pragma once
#include <windows.h>

#include <string>

// path: a MAX_PATH buffer holding the remembered folder (possibly empty) on
// entry and the chosen folder on success; left as it was on failure. A
// remembered folder that has gone since is not highlighted; its nearest
// folder that still exists is, so the dialog never opens on a folder the
// user did not choose while an OK would copy there.
// Nonzero when a folder with a file-system path was chosen; 0 when the root
// (a CSIDL value, 0 for the desktop) can't be resolved, on cancel, or when the
// choice has no file-system path.
int ChooseFolder(HWND owner, char* path, const char* title, int root);

// The BROWSEINFOA flags for the system whose GetVersion() result is given:
// the new dialog style only where the shell has it (NT family, major 5 on).
UINT FolderChooserFlags(DWORD version);

// The remembered folder as a MAX_PATH buffer takes it: whole when it fits,
// else its longest leading folder that does (empty when none does).
void FitRememberedFolder(const std::string& remembered, char (&path)[MAX_PATH]);
