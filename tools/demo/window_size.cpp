// Gives a visible top-level window of this desktop a new outer size, as a
// user dragging its border would: the demo's screenshots need the Image
// browser larger than its dialog template, and under a window manager that
// offers no maximise for a window without a sizing border, SC_MAXIMIZE grows
// the window on the Windows side only.
//
//   window_size TITLE WIDTH HEIGHT
//
// Exits 1 when no window has that title, 2 on wrong arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
const DWORD kLayoutSettleMs = 500;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: window_size TITLE WIDTH HEIGHT\n");
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    if (width <= 0 || height <= 0)
        return 2;
    HWND window = ::FindWindowA(nullptr, argv[1]);
    if (!window || !::IsWindowVisible(window))
        return 1;
    ::SetWindowPos(window, nullptr, 0, 0, width, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The dialog lays its children out on a message it posts to itself;
    // under Wine the moved buttons then stay unpainted until something
    // invalidates them, so the whole window is repainted once that is done.
    ::Sleep(kLayoutSettleMs);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return 0;
}
