#include "widgets/link_label.h"

#include "widgets/link_cursor.h"
#include "platform/shell_open.h"

#include <commctrl.h>
#include <string>

BEGIN_MESSAGE_MAP(CLinkLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_SETCURSOR()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
END_MESSAGE_MAP()

CLinkLabel::CLinkLabel() : m_backgroundColour(::GetSysColor(COLOR_BTNFACE)) {}

void CLinkLabel::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    ModifyStyle(0, SS_NOTIFY);
    if (m_underlineFont.GetSafeHandle())
        return;
    HFONT dialogFont =
        reinterpret_cast<HFONT>(::SendMessageA(::GetParent(m_hWnd), WM_GETFONT, 0, 0));
    LOGFONTA logFont = {};
    ::GetObjectA(dialogFont, sizeof logFont, &logFont);
    logFont.lfUnderline = 1;
    m_underlineFont.CreateFontIndirect(&logFont);
    SetFont(&m_underlineFont, TRUE);
}

bool CLinkLabel::IsMouseInside() const
{
    POINT mouse;
    RECT label;
    ::GetCursorPos(&mouse);
    GetWindowRect(&label);
    return ::PtInRect(&label, mouse) != FALSE;
}

HBRUSH CLinkLabel::CtlColor(HDC dc, UINT)
{
    ::SetTextColor(dc, IsMouseInside() ? m_hoverColour : m_normalColour);
    ::SetBkMode(dc, TRANSPARENT);
    if (!m_backgroundBrush.GetSafeHandle())
        m_backgroundBrush.CreateSolidBrush(m_backgroundColour);
    return m_backgroundBrush;
}

BOOL CLinkLabel::OnSetCursor(HWND, UINT, UINT)
{
    if (IsMouseInside() && ::GetWindowTextLengthA(m_hWnd) > 0) {
        ::SetCursor(GetLinkCursor());
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

// While the button is held the label has the capture and shows whether a
// release here would open the link.
void CLinkLabel::OnMouseMove(UINT, POINT)
{
    if (::GetCapture()) {
        ::SetCursor(IsMouseInside() ? GetLinkCursor() : ::LoadCursorA(nullptr, IDC_ARROW));
        return;
    }
    Default();
    if (m_tracking == 0) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hWnd;
        ::_TrackMouseEvent(&track);
        m_tracking = 1;
        Invalidate(TRUE);
    }
}

LRESULT CLinkLabel::OnMouseLeave(WPARAM, LPARAM)
{
    m_tracking = 0;
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    Invalidate(TRUE);
    return 0;
}

void CLinkLabel::OnLButtonDown(UINT, POINT)
{
    Default();
    ::SetCapture(m_hWnd);
}

void CLinkLabel::OnLButtonUp(UINT, POINT)
{
    if (::GetCapture() != m_hWnd) {
        Default();
        return;
    }
    ::ReleaseCapture();
    if (IsMouseInside())
        FollowLink();
    m_tracking = 0;
}

// The thread owns its copy of the target: the label may be gone by the time
// the shell returns.
void CLinkLabel::FollowLink()
{
    BeginWaitCursor();
    if (!m_linkTarget.IsEmpty()) {
        std::string target(m_linkTarget);
        AfxRunDetached([target = std::move(target)] { OpenWithShell(target.c_str()); });
    }
    EndWaitCursor();
}
