// Where the shell's Internet cache (WinINet) lives, and what one looks like.
#pragma once
#include <windows.h>

#include <string>

// The Internet cache folder's path into a MAX_PATH buffer; false (and an
// empty buffer) when the shell cannot resolve it.
bool LocateCacheFolder(char (&folder)[MAX_PATH]);

// A folder WinINet keeps its files in: its index ("index.dat" before
// Windows 8, "container.dat" after) in the folder itself or in its
// "Content.IE5" or "IE" sub-folder, where the versions put it.
bool IsInetCacheFolder(const std::string& folder);
