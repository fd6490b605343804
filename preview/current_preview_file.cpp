#include "preview/current_preview_file.h"

char g_szCurrentPreviewFile[MAX_PATH];
