// The address a cached file was downloaded from, as the WinINet cache index
// records it.
#pragma once
#include "framework/afxstr.h"

#include <functional>

// Walks the index for the entry whose local file is the given path (letter
// case ignored) and gives its source URL; false when no entry has that file.
bool FindCacheSourceUrl(LPCSTR localPath, CString& url);

// Every index entry that has both a local file and a source URL, in the
// index's order: one walk for many rows.
void ForEachCacheSourceUrl(const std::function<void(LPCSTR localPath, LPCSTR url)>& visit);
