// The cache folders named on the command line (/cache), recognised and made
// the only caches every scan reads.
#pragma once
#include <string>
#include <vector>

// False, having told the user which folder and why, when one holds no cache
// the viewer reads; nothing is changed then.
bool ScanOnlyGivenFolders(const std::vector<std::string>& folders);
