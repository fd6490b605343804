// The HTML page served for a cached file: the matching player's template with
// the file's full path written into it.
#pragma once

#include "preview/heap_text.h"

extern const char kEmptyPreviewPage[];

// Empty holder only when the memory for the page cannot be had.
HeapText BuildPreviewPage(const char* path);
