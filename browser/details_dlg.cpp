#include "browser/details_dlg.h"
#include "res/resource.h"
#include "browser/cache_source_url.h"
#include "platform/shell_open.h"


const char CDetailsDlg::noSourceUrlText[] =
    "No source URL: the Internet cache index has no entry for this file.";

BEGIN_MESSAGE_MAP(CDetailsDlg, CDialog)
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_OPEN_SOURCE_URL, OnOpen)
END_MESSAGE_MAP()

CDetailsDlg::CDetailsDlg(CWnd* parent) : CDialog(IDD_DETAILS, parent) {}

// The worker's last act reads the close flag after it has cleared busy; the
// object must outlive that read, so it waits for the thread's very end.
CDetailsDlg::~CDetailsDlg()
{
    AfxJoinThread(m_worker);
}

void CDetailsDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_CACHE_FILE_PATH, m_pathEdit);
    DDX_Control(pDX, IDC_OPEN_SOURCE_URL, m_openButton);
    DDX_Control(pDX, IDC_SOURCE_URL, m_urlEdit);
    DDX_Text(pDX, IDC_CACHE_FILE_PATH, m_cacheFilePath);
}

// Busy is set before the thread exists: a look-up that ended before
// AfxBeginThread returned would otherwise leave busy set for good, and no
// Close would ever end the dialog.
BOOL CDetailsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_openButton.EnableWindow(FALSE);
    m_busy = 1;
    m_worker = AfxBeginOwnedThread(LookUpThreadProc, this);
    if (!m_worker)
        m_busy = 0;
    return TRUE;
}

// The close flag is raised before busy is read again: either the worker has
// not cleared busy yet, and then it will see the flag and post IDCANCEL, or
// it has, and the dialog ends here. No Close is lost.
void CDetailsDlg::OnCancel()
{
    if (m_busy) {
        m_closeRequested = 1;
        if (m_busy)
            return;
    }
    EndDialog(IDCANCEL);
}

BOOL CDetailsDlg::OnSetCursor(HWND, UINT, UINT)
{
    if (!m_busy)
        return static_cast<BOOL>(Default());
    ::SetCursor(::LoadCursorA(nullptr, IDC_APPSTARTING));
    return TRUE;
}

void CDetailsDlg::OnOpen()
{
    CString url;
    m_urlEdit.GetWindowText(url);
    OpenWithShell(url);
}

UINT CDetailsDlg::LookUpThreadProc(LPVOID dialog)
{
    static_cast<CDetailsDlg*>(dialog)->LookUpSourceUrl();
    return 0;
}

void CDetailsDlg::LookUpSourceUrl()
{
    CString url;
    bool found = FindCacheSourceUrl(m_cacheFilePath, url);
    m_pathEdit.SetWindowText(m_cacheFilePath);
    m_urlEdit.SetWindowText(found ? static_cast<LPCSTR>(url) : noSourceUrlText);
    if (found)
        m_openButton.EnableWindow(TRUE);

    HWND window = m_hWnd;
    m_busy = 0;
    if (m_closeRequested)
        ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
}
