// The one channel between the Media browser and the preview protocol: the full
// path of the file to preview. The UI thread writes it before it navigates;
// a request reads it when it starts. The URL carries no file name.
#pragma once
#include <windows.h>

extern char g_szCurrentPreviewFile[MAX_PATH];
