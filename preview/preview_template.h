// The RT_HTML page templates: printf formats with one "%s" for the file path.
#pragma once
#include <windows.h>

#include "preview/heap_text.h"

enum PreviewTemplateId : WORD {
    IDR_HTML_MEDIAPLAYER = 132,
    IDR_HTML_REALPLAYER = 133,
    IDR_HTML_FLASH = 134,
};

struct PreviewTemplate {
    HeapText text;   // the resource bytes followed by two NULs; empty when not loaded
    DWORD size = 0;  // bytes of the resource, terminators not counted
};

PreviewTemplate LoadPreviewTemplate(WORD id);
