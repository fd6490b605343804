// A static text that behaves as a hyperlink: underlined, blue while the mouse
// is over it, a hand for a pointer, and a completed click opens its target
// with the shell on a thread of its own, so the dialog stays responsive.
#pragma once
#include "framework/afxwin.h"

class CLinkLabel : public CStatic {
public:
    CLinkLabel();
    ~CLinkLabel() override = default;

    // Opens the link target; an empty target opens nothing.
    virtual void FollowLink();

    CString m_linkTarget;

protected:
    void PreSubclassWindow() override;

    HBRUSH CtlColor(HDC dc, UINT ctlColor);
    BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);

    CFont m_underlineFont;
    COLORREF m_backgroundColour;
    COLORREF m_normalColour = RGB(0, 0, 0);
    COLORREF m_hoverColour = RGB(0, 0, 255);
    int m_tracking = 0;
    CBrush m_backgroundBrush;

private:
    bool IsMouseInside() const;

    DECLARE_MESSAGE_MAP()
};
