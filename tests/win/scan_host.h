// A window that hosts a list view for a scan test, as a browser would: the
// list's parent, which receives the IDCANCEL a stopped scan posts.
#pragma once
#include "framework/afxwin.h"

#include <functional>
#include <string>
#include <vector>

class ScanHost {
public:
    ScanHost();
    ~ScanHost();
    ScanHost(const ScanHost&) = delete;
    ScanHost& operator=(const ScanHost&) = delete;

    HWND List() const { return m_list; }
    int CancelsReceived() const;
    // Pumps messages until the condition holds or the timeout passes.
    bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);

private:
    HWND m_window = nullptr;
    HWND m_list = nullptr;
    // Attached so that the list's notifications are reflected to it, as a
    // browser dialog reflects them.
    CWnd m_host;
};

// The rows' texts as the list shows them, in list order.
std::vector<std::string> RowTexts(CListCtrl& list);
