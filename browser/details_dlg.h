// The Details dialog (resource 138, "Drill"): a cached file's full path and
// the address it was downloaded from, looked up on a worker thread; Open
// hands that address to the shell. A Close that arrives during the look-up
// is carried out when the look-up ends.
#pragma once
#include "framework/afxwin.h"

#include <atomic>
#include <cstdint>

class CDetailsDlg : public CDialog {
public:
    explicit CDetailsDlg(CWnd* parent = nullptr);
    ~CDetailsDlg() override;

    CEdit m_pathEdit;
    CButton m_openButton;
    CEdit m_urlEdit;
    CString m_cacheFilePath;  // set by the caller before DoModal
    std::atomic<int32_t> m_busy{0};
    std::atomic<int32_t> m_closeRequested{0};

    // What the URL edit says when the index has no entry for the file.
    static const char noSourceUrlText[];

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;

    BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message);
    void OnOpen();

    // The worker's whole job, on the worker thread: fills both edits, enables
    // Open when a URL was found, then ends the busy state.
    virtual void LookUpSourceUrl();

private:
    static UINT LookUpThreadProc(LPVOID dialog);

    CWinThread* m_worker = nullptr;

    DECLARE_MESSAGE_MAP()
};
