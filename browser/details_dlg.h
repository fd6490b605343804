// The Details dialog (resource 138, "Drill"): a cached file's full path and
// the address it was downloaded from, looked up on a worker thread and shown
// by the dialog itself; Open hands that address to the shell. A Close that
// arrives during the look-up is carried out when the look-up ends. A browser
// cache's entry is shown the same way through a template of its own, with
// more fields.
#pragma once
#include "browser/detail_field.h"
#include "framework/afxwin.h"
#include "framework/afxworker.h"

#include <functional>

// What a look-up found: the source URL, when there is one (Open stays
// disabled without it), and the template's other fields.
struct FoundDetails {
    bool found = false;
    CString url;
    DetailFields fields;
};

class CDetailsDlg : public CDialog {
public:
    explicit CDetailsDlg(CWnd* parent = nullptr);
    ~CDetailsDlg() override;

    CEdit m_pathEdit;
    CButton m_openButton;
    CEdit m_urlEdit;
    // Where the row is cached, set by the caller before DoModal: a file's
    // full path, or the browser and profile whose cache holds an entry.
    CString m_cacheFilePath;

    // Drill for another kind of row than a WinINet file: its template, which
    // has the path edit, the URL edit and Open as the file's has, and the
    // look-up that fills it. By default the source URL is found in the
    // WinINet index by m_cacheFilePath. Before DoModal; the look-up is then
    // only called by the worker.
    void Describe(UINT templateId, std::function<FoundDetails()> lookUp);

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
    // the other fields and posts them to the dialog, which shows them
    // (ShowDetails).
    virtual void LookUpSourceUrl();

private:
    // On the user-interface thread: fills the edits and enables Open when a
    // URL was found.
    void ShowDetails(const FoundDetails& found);
    void OnLookUpEnded();

    // Read by the worker: m_cacheFilePath and m_findDetails, written before
    // it starts and left alone while it runs (the dialog changes neither).
    std::function<FoundDetails()> m_findDetails;
    CWorker m_lookUp;
    // The user-interface thread's alone, like the end of the look-up that
    // reads it: a Close and the end come one after the other, never across.
    bool m_closeRequested = false;

    DECLARE_MESSAGE_MAP()
};

struct CacheItem;
// Fills the dialog for a row: a file's path, looked up in the WinINet index;
// an entry's own template with its URL, its cache's name and its fields.
void PrepareDetails(const CacheItem& row, CDetailsDlg& details);
