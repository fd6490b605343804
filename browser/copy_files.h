// Copies cache files into a folder the user chose.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Each file is copied under its own name; a name the folder already holds is
// never overwritten, the copy takes the next free "name (2).ext". Files that
// could not be copied are named in one information message at the end; a
// copy of many files shows the shell's progress dialog.
void CopyFilesToFolder(HWND owner, const std::vector<std::string>& paths, const char* folder);
