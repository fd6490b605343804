// A window of the viewer's own that shows one image at its original size,
// with scroll bars where it is larger than the screen allows.
#pragma once
#include <windows.h>

// Decodes the file and opens its window, owned by the given window (so it
// closes with it). False when the file cannot be decoded.
bool ShowPictureWindow(HWND owner, const char* path);
