// A shown top-level window holding an Image browser list, sized and styled as
// the browser's template makes it, so that a scan draws its rows and loads
// their tiles as it does on a user's screen.
#pragma once
#include "framework/afxwin.h"


class ScanWindow {
public:
    ScanWindow();
    ~ScanWindow();
    ScanWindow(const ScanWindow&) = delete;
    ScanWindow& operator=(const ScanWindow&) = delete;

    HWND List() const { return m_list; }
private:
    HWND m_window = nullptr;
    HWND m_list = nullptr;
    // Attached so that the list's notifications are reflected to it, as the
    // browser dialog reflects them.
    CWnd m_host;
};
