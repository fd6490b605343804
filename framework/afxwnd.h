// CWnd: a C++ object attached to a window handle. Attached windows are
// subclassed, so every message passes through the object's message map before
// the window's original procedure.
#pragma once
#include "framework/afxcmd.h"
#include "framework/afxstr.h"

#include <unknwn.h>

class CFont;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND GetSafeHwnd() const { return m_hWnd; }
    static CWnd* FromHandlePermanent(HWND hWnd);

    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Attaches, lets the class adjust the window (PreSubclassWindow), then
    // routes the window's messages through this object.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void GetWindowText(CString& text) const;
    void SetWindowText(LPCSTR text);
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    void Invalidate(BOOL erase = TRUE);
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CWnd* SetFocus();
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL ShowWindow(int command);
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    void ScreenToClient(LPRECT rect) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    CWnd* GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }

    // An ActiveX control in a container window of its own, a child of the
    // parent (afxocc.h); no window name, no persistence. The control is
    // closed when the window is destroyed.
    BOOL CreateControl(REFCLSID clsid, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Null for a window without a control; no reference is added.
    IUnknown* GetControlUnknown() const { return m_pCtrlUnknown; }

    HWND m_hWnd = nullptr;

protected:
    virtual void PreSubclassWindow() {}
    virtual void PostNcDestroy() {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled now.
    LRESULT Default();

    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // A notification from one of this window's controls, offered to the
    // control's own map first.
    BOOL ReflectChildNotify(HWND child, UINT message, UINT code, WPARAM wParam, LPARAM lParam,
                            LRESULT* result);
    virtual BOOL OnChildNotify(UINT message, UINT code, WPARAM wParam, LPARAM lParam,
                               LRESULT* result);

    WNDPROC m_pfnSuper = nullptr;

private:
    void DestroyControl();

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    void OnNcDestroyed();

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_current = {};
    IUnknown* m_pCtrlUnknown = nullptr;
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
