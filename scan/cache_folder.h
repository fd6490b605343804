// Where the web browser keeps its disk cache.
#pragma once
#include <windows.h>

// The Internet cache folder's path into a MAX_PATH buffer; false (and an
// empty buffer) when the shell cannot resolve it.
bool LocateCacheFolder(char (&folder)[MAX_PATH]);
