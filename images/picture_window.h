// A window of the viewer's own that shows one image at its original size,
// with scroll bars where it is larger than the screen allows.
#pragma once
#include <windows.h>

class CImageObject;

// Opens the decoded picture's window under the name given, owned by the
// given window (so it closes with it). False when it has no pixels.
bool ShowPictureWindow(HWND owner, const char* name, CImageObject& image);
