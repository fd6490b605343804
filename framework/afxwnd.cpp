#include "framework/afxwnd.h"
#include "framework/afxgdi.h"

#include <mutex>
#include <unordered_map>

namespace {

// Windows attached to objects. Controls are created and destroyed on the
// user-interface thread, but workers may look up the objects of the windows
// they send to, so the map has a lock.
class HandleMap {
public:
    void Add(HWND hWnd, CWnd* wnd)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_objects[hWnd] = wnd;
    }
    void Remove(HWND hWnd)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_objects.erase(hWnd);
    }
    CWnd* Find(HWND hWnd)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_objects.find(hWnd);
        return found == m_objects.end() ? nullptr : found->second;
    }

private:
    std::mutex m_mutex;
    std::unordered_map<HWND, CWnd*> m_objects;
};

HandleMap& PermanentMap()
{
    static HandleMap map;
    return map;
}

bool IsCtlColorMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

}  // namespace

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    CWnd::CurrentMessage outer = wnd->m_current;
    wnd->m_current = { message, wParam, lParam };
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    wnd->m_current = outer;
    if (message == WM_NCDESTROY)
        wnd->OnNcDestroyed();
    return result;
}

CWnd::~CWnd()
{
    DestroyControl();
    if (m_hWnd) {
        // The object dies before its window: give the window back its own
        // procedure so that no message reaches a destroyed object.
        if (m_pfnSuper)
            ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? PermanentMap().Find(hWnd) : nullptr;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd)
        return FALSE;
    m_hWnd = hWnd;
    PermanentMap().Add(hWnd, this);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd)
        PermanentMap().Remove(hWnd);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control ? SubclassWindow(control) : FALSE;
}

void CWnd::OnNcDestroyed()
{
    Detach();
    PostNcDestroy();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::GetWindowText(CString& text) const
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer();
}

void CWnd::SetWindowText(LPCSTR text)
{
    ::SetWindowTextA(m_hWnd, text);
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    ::GetWindowRect(m_hWnd, rect);
}

void CWnd::GetClientRect(LPRECT rect) const
{
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::Invalidate(BOOL erase)
{
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    DWORD style = static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(changed));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? static_cast<HFONT>(*font) : nullptr),
                redraw);
}

CWnd* CWnd::SetFocus()
{
    return FromHandlePermanent(::SetFocus(m_hWnd));
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    return ::EnableWindow(m_hWnd, enable);
}

BOOL CWnd::ShowWindow(int command)
{
    return ::ShowWindow(m_hWnd, command);
}

void CWnd::MoveWindow(const RECT& rect, BOOL repaint)
{
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 repaint);
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

// A control is closed before the window's own WM_DESTROY handler runs, which
// then releases what it holds of the control, and before the container's,
// which drops the container's references.
LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        DestroyControl();
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *result = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (ReflectChildNotify(header->hwndFrom, WM_NOTIFY, header->code, wParam, lParam, result))
            return TRUE;
        const AFX_MSGMAP_ENTRY* entry =
            FindMessageEntry(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom));
        if (!entry)
            return FALSE;
        *result = entry->pfn(this, wParam, lParam);
        return TRUE;
    }
    if (IsCtlColorMessage(message)) {
        UINT ctlColor = message - WM_CTLCOLORMSGBOX;
        if (ReflectChildNotify(reinterpret_cast<HWND>(lParam), WM_CTLCOLOR, 0, wParam, ctlColor,
                               result))
            return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
    if (!entry)
        return FALSE;
    *result = entry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    LRESULT ignored = 0;
    if (control && ReflectChildNotify(control, WM_COMMAND, code, wParam, lParam, &ignored))
        return TRUE;
    return OnCmdMsg(id, code);
}

BOOL CWnd::ReflectChildNotify(HWND child, UINT message, UINT code, WPARAM wParam, LPARAM lParam,
                              LRESULT* result)
{
    CWnd* control = FromHandlePermanent(child);
    return control && control != this &&
           control->OnChildNotify(message, code, wParam, lParam, result);
}

BOOL CWnd::OnChildNotify(UINT message, UINT code, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_REFLECT_BASE + message, code, 0);
    if (!entry)
        return FALSE;
    *result = entry->pfn(this, wParam, lParam);
    return TRUE;
}
