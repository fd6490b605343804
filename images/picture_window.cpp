#include "images/picture_window.h"

#include "images/codec/image_object.h"
#include "scan/cache_item.h"

#include <algorithm>
#include <cstdio>

namespace {

const char windowClassName[] = "ZemaPicture";

struct Picture {
    HBITMAP bitmap;
    int width;
    int height;
};

Picture* PictureOf(HWND window)
{
    return reinterpret_cast<Picture*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

void UpdateScrollBars(HWND window, const Picture& picture)
{
    RECT client;
    ::GetClientRect(window, &client);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = picture.width - 1;
    info.nPage = static_cast<UINT>(client.right);
    ::SetScrollInfo(window, SB_HORZ, &info, TRUE);
    info.nMax = picture.height - 1;
    info.nPage = static_cast<UINT>(client.bottom);
    ::SetScrollInfo(window, SB_VERT, &info, TRUE);
}

int ScrollPosition(HWND window, int bar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    ::GetScrollInfo(window, bar, &info);
    return info.nPos;
}

void Scroll(HWND window, int bar, WORD request)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ::GetScrollInfo(window, bar, &info);
    int position = info.nPos;
    int page = static_cast<int>(info.nPage);
    switch (request) {
    case SB_LINEUP:
        position -= 16;
        break;
    case SB_LINEDOWN:
        position += 16;
        break;
    case SB_PAGEUP:
        position -= page;
        break;
    case SB_PAGEDOWN:
        position += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = info.nMin;
        break;
    case SB_BOTTOM:
        position = info.nMax;
        break;
    default:
        return;
    }
    info.fMask = SIF_POS;
    info.nPos = position;
    ::SetScrollInfo(window, bar, &info, TRUE);
    ::InvalidateRect(window, nullptr, FALSE);
}

void Paint(HWND window, const Picture& picture)
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    HDC source = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(source, picture.bitmap);
    int x = ScrollPosition(window, SB_HORZ), y = ScrollPosition(window, SB_VERT);
    RECT client;
    ::GetClientRect(window, &client);
    ::BitBlt(dc, 0, 0, client.right, client.bottom, source, x, y, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
    // Beyond the picture: the window's own background.
    RECT right = { picture.width - x, 0, client.right, client.bottom };
    RECT below = { 0, picture.height - y, client.right, client.bottom };
    ::FillRect(dc, &right, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    ::FillRect(dc, &below, ::GetSysColorBrush(COLOR_APPWORKSPACE));
    ::EndPaint(window, &paint);
}

LRESULT CALLBACK PictureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Picture* picture = PictureOf(window);
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return 0;
    }
    case WM_SIZE:
        if (picture)
            UpdateScrollBars(window, *picture);
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        Scroll(window, message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
        return 0;
    case WM_PAINT:
        if (picture) {
            Paint(window, *picture);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            ::DestroyWindow(window);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        if (picture) {
            ::DeleteObject(picture->bitmap);
            delete picture;
            ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        }
        break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterPictureClass(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    if (::GetClassInfoA(instance, windowClassName, &windowClass))
        return true;
    windowClass.lpfnWndProc = PictureWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(128));
    windowClass.lpszClassName = windowClassName;
    return ::RegisterClassA(&windowClass) != 0;
}

// The window's outer size for a client area of the picture's size, within
// the work area.
SIZE WindowSizeFor(const Picture& picture, DWORD style)
{
    RECT frame = { 0, 0, picture.width, picture.height };
    ::AdjustWindowRect(&frame, style, FALSE);
    RECT work;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    bool tooWide = width > work.right - work.left;
    bool tooTall = height > work.bottom - work.top;
    if (tooTall)
        width += ::GetSystemMetrics(SM_CXVSCROLL);
    if (tooWide)
        height += ::GetSystemMetrics(SM_CYHSCROLL);
    return { std::min<LONG>(width, work.right - work.left),
             std::min<LONG>(height, work.bottom - work.top) };
}

}  // namespace

bool ShowPictureWindow(HWND owner, const char* name, CImageObject& image)
{
    if (!image.HasPixels())
        return false;
    HBITMAP bitmap = image.ToBitmap(nullptr);
    if (!bitmap)
        return false;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (!RegisterPictureClass(instance)) {
        ::DeleteObject(bitmap);
        return false;
    }
    Picture* picture = new Picture{ bitmap, image.Width(), image.Height() };
    char title[MAX_PATH + 40];
    std::snprintf(title, sizeof title, "%s (%d x %d)", FileNamePart(name), picture->width,
                  picture->height);
    // No scroll bar styles: SetScrollInfo shows the bars only where the
    // picture is larger than the window.
    const DWORD style = WS_OVERLAPPEDWINDOW;
    SIZE size = WindowSizeFor(*picture, style);
    HWND window = ::CreateWindowExA(0, windowClassName, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                    size.cx, size.cy, owner, nullptr, instance, picture);
    if (!window) {
        ::DeleteObject(bitmap);
        delete picture;
        return false;
    }
    ::ShowWindow(window, SW_SHOWNORMAL);
    return true;
}
