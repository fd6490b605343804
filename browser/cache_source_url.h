// The address a cached file was downloaded from, as the WinINet cache index
// records it.
#pragma once
#include "framework/afxstr.h"

// Walks the index for the entry whose local file is the given path (letter
// case ignored) and gives its source URL; false when no entry has that file.
bool FindCacheSourceUrl(LPCSTR localPath, CString& url);
