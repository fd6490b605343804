#include "platform/dialog_centre.h"

POINT CentredPosition(SIZE window, const RECT& over, const RECT& work)
{
    POINT corner;
    corner.x = (over.left + over.right - window.cx) / 2;
    corner.y = (over.top + over.bottom - window.cy) / 2;
    if (corner.x + window.cx > work.right)
        corner.x = work.right - window.cx;
    if (corner.y + window.cy > work.bottom)
        corner.y = work.bottom - window.cy;
    if (corner.x < work.left)
        corner.x = work.left;
    if (corner.y < work.top)
        corner.y = work.top;
    return corner;
}

void CentreDialog(HWND dialog)
{
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT over = work;
    HWND parent = ::GetParent(dialog);
    if (::GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) {
        // A child's position is in its parent's client coordinates.
        ::GetClientRect(parent, &over);
        work = over;
    } else {
        HWND owner = ::GetWindow(dialog, GW_OWNER);
        if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
            ::GetWindowRect(owner, &over);
    }
    RECT rect;
    ::GetWindowRect(dialog, &rect);
    SIZE size = { rect.right - rect.left, rect.bottom - rect.top };
    POINT corner = CentredPosition(size, over, work);
    ::SetWindowPos(dialog, nullptr, corner.x, corner.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
