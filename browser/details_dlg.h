// The Details dialog (resource 138, "Drill"): a cached file's full path and
// the address it was downloaded from, looked up on a worker thread and shown
// by the dialog itself; Open hands that address to the shell. A Close that
// arrives during the look-up is carried out when the look-up ends.
#pragma once
#include "framework/afxwin.h"
#include "framework/afxworker.h"

#include <functional>

class CDetailsDlg : public CDialog {
public:
    explicit CDetailsDlg(CWnd* parent = nullptr);
    ~CDetailsDlg() override;

    CEdit m_pathEdit;
    CButton m_openButton;
    CEdit m_urlEdit;
    CString m_cacheFilePath;  // set by the caller before DoModal
    // Finds the source URL on the worker; by default in the WinINet index by
    // m_cacheFilePath. A row that knows its URL (a browser cache's entry)
    // hands it over here, with its description in m_cacheFilePath. Set
    // before DoModal and only called by the worker afterwards.
    std::function<bool(CString& url)> m_findSourceUrl;

    // On the user-interface thread: whether the look-up has yet to show its
    // result, and whether a Close waits for it.
    bool IsLookingUp() const { return m_lookUp.IsRunning(); }
    bool CloseRequested() const { return m_closeRequested; }

    // What the URL edit says when the index has no entry for the file.
    static const char noSourceUrlText[];

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;

    BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message);
    void OnOpen();

    // The worker's whole job, on the worker thread: finds the source URL and
    // posts it to the dialog, which shows it (ShowSourceUrl).
    virtual void LookUpSourceUrl();

private:
    // On the user-interface thread: fills both edits and enables Open when a
    // URL was found.
    void ShowSourceUrl(bool found, const CString& url);
    void OnLookUpEnded();

    // Read by the worker: m_cacheFilePath, written before it starts and
    // left alone while it runs (the dialog does not change it).
    CWorker m_lookUp;
    // The user-interface thread's alone, like the end of the look-up that
    // reads it: a Close and the end come one after the other, never across.
    bool m_closeRequested = false;

    DECLARE_MESSAGE_MAP()
};

struct CacheItem;
// Fills the dialog for a row: a file's path, looked up in the WinINet index;
// an entry's description and its own URL.
void PrepareDetails(const CacheItem& row, CDetailsDlg& details);
