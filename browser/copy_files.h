// Copies cache files into a folder the user chose.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// One thing to copy: the name it takes in the folder, what a failure message
// calls it, and how its bytes are written into a new file.
struct CopySource {
    std::string name;
    std::string label;
    std::function<bool(const char* target)> write;
};

// Each file is copied under its own name; a name the folder already holds is
// never overwritten, the copy takes the next free "name (2).ext". A copy of
// many files shows the shell's progress dialog. Returns the paths of the
// files that could not be copied; none of them leaves a part of itself in
// the folder.
std::vector<std::string> CopyFilesToFolder(HWND owner, const std::vector<std::string>& paths,
                                           const char* folder);
// The same rules for any source; returns the labels of those that failed.
std::vector<std::string> CopyToFolder(HWND owner, const std::vector<CopySource>& sources,
                                      const char* folder);

// Names the files that could not be copied in one information message;
// nothing when none failed.
void ReportCopyFailures(const std::vector<std::string>& failedPaths);

struct CacheItem;
// The rows as sources: each written by its own record under its row name.
// The records must outlive the copy.
std::vector<CopySource> CopySourcesOf(const std::vector<const CacheItem*>& rows);
