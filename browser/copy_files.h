// Copies cache files into a folder the user chose.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Each file is copied under its own name; a name the folder already holds is
// never overwritten, the copy takes the next free "name (2).ext". A copy of
// many files shows the shell's progress dialog. Returns the paths of the
// files that could not be copied; none of them leaves a part of itself in
// the folder.
std::vector<std::string> CopyFilesToFolder(HWND owner, const std::vector<std::string>& paths,
                                           const char* folder);

// Names the files that could not be copied in one information message;
// nothing when none failed.
void ReportCopyFailures(const std::vector<std::string>& failedPaths);
