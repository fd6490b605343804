// The Text browser's content pane: a read-only edit that shows one file with
// the first occurrence of the search text selected on its top line.
#pragma once
#include "afxwin.h"

// An empty path, or a file that cannot be read, leaves the pane empty.
void ShowFileContent(CEdit& pane, const char* path, const char* searchText);
