#include "bench/scan/scan_window.h"

#include <commctrl.h>

namespace {

const char windowClass[] = "ZemaScanRateWindow";
// The Image browser's client area at 96 dpi, its list inset by the template's margin.
const int clientWidth = 600, clientHeight = 380, margin = 5;

}  // namespace

ScanWindow::ScanWindow()
{
    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_LISTVIEW_CLASSES };
    ::InitCommonControlsEx(&controls);
    WNDCLASSA registration = {};
    registration.lpfnWndProc = ::DefWindowProcA;
    registration.hInstance = ::GetModuleHandleA(nullptr);
    registration.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    registration.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    registration.lpszClassName = windowClass;
    ::RegisterClassA(&registration);
    RECT frame = { 0, 0, clientWidth, clientHeight };
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    ::AdjustWindowRect(&frame, style, FALSE);
    m_window = ::CreateWindowA(windowClass, "Images", style, 40, 40, frame.right - frame.left,
                               frame.bottom - frame.top, nullptr, nullptr, registration.hInstance,
                               nullptr);
    const DWORD listStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_ICON |
                            LVS_AUTOARRANGE | LVS_OWNERDATA | LVS_SHOWSELALWAYS;
    m_list = ::CreateWindowA(WC_LISTVIEWA, "", listStyle, margin, margin, clientWidth - 2 * margin,
                             clientHeight - 2 * margin - 30, m_window,
                             reinterpret_cast<HMENU>(1007), registration.hInstance, nullptr);
    m_host.SubclassWindow(m_window);
    ::UpdateWindow(m_window);
}

ScanWindow::~ScanWindow()
{
    ::DestroyWindow(m_window);
}
