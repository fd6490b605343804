// Centres a dialog the way a modal dialog of its own should appear.
#pragma once
#include <windows.h>

// The top-left corner of a window of the given size centred over `over`,
// pushed back inside `work`: past the right or bottom edge it moves in,
// past the left or top edge it sits on that edge.
POINT CentredPosition(SIZE window, const RECT& over, const RECT& work);

// Over the parent's client area for a child window, else over a visible,
// not minimised owner, else over the work area.
void CentreDialog(HWND dialog);
