#include "tests/win/scan_host.h"

#include <commctrl.h>

namespace {

const char hostClass[] = "ZemaScanHost";
int cancels = 0;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        ++cancels;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

ScanHost::ScanHost()
{
    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_LISTVIEW_CLASSES };
    ::InitCommonControlsEx(&controls);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = hostClass;
    ::RegisterClassA(&windowClass);
    cancels = 0;
    m_window = ::CreateWindowA(hostClass, "scan host", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
    const DWORD listStyle = WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_OWNERDATA;
    m_list = ::CreateWindowA(WC_LISTVIEWA, "", listStyle, 0, 0, 600, 400, m_window,
                             reinterpret_cast<HMENU>(1007), windowClass.hInstance, nullptr);
    m_host.SubclassWindow(m_window);
}

ScanHost::~ScanHost()
{
    ::DestroyWindow(m_window);
}

int ScanHost::CancelsReceived() const
{
    return cancels;
}

bool ScanHost::PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    AfxPumpMessagesUntil([&] { return condition() || ::GetTickCount() - start > timeoutMs; }, 10);
    return condition();
}

std::vector<std::string> RowTexts(CListCtrl& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        char text[MAX_PATH] = {};
        LVITEMA row = {};
        row.mask = LVIF_TEXT;
        row.iItem = i;
        row.pszText = text;
        row.cchTextMax = sizeof text;
        list.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row));
        texts.push_back(text);
    }
    return texts;
}
