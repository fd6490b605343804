#include "browser/browser_dlg.h"

#include "platform/settings.h"
#include "browser/copy_files.h"
#include "res/resource.h"
#include "browser/details_dlg.h"
#include "widgets/folder_chooser.h"

#include <string>

namespace {
constexpr UINT startDelay = 300;
}  // namespace

// The Image browser's Drill button has an id of its own; a browser has one of
// the two.
BEGIN_MESSAGE_MAP(CBrowserDlg, CDialog)
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_COMMAND(ID_LAYOUT_COMMAND, OnLayout)
    ON_COMMAND(ID_START_COMMAND, OnStart)
    ON_COMMAND(ID_SELECTION_COMMAND, OnSelectionCommand)
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_PAUSE, OnPause)
    ON_BN_CLICKED(IDC_COPY_TO, OnCopyTo)
    ON_BN_CLICKED(IDC_DRILL, OnDrill)
    ON_BN_CLICKED(IDC_FILE_DRILL, OnDrill)
END_MESSAGE_MAP()

CBrowserDlg::CBrowserDlg(const BrowserTraits& traits, CCacheListCtrl& list)
    : CDialog(traits.dialogId), m_traits(traits), m_list(list),
      m_copyToSetting(traits.copyToSetting)
{}

void CBrowserDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_PAUSE, m_pauseButton);
    DDX_Control(pDX, IDCANCEL, m_closeButton);
    DDX_Control(pDX, IDC_BROWSER_LIST, m_list);
    DDX_Check(pDX, IDC_PAUSE, m_pauseCheck);
}

BOOL CBrowserDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    AddPanes();
    m_traits.layout.Measure(m_hWnd);
    m_startTimer = SetTimer(m_traits.startTimerId, startDelay);
    return TRUE;
}

void CBrowserDlg::OnTimer(UINT_PTR id)
{
    if (id != m_startTimer || m_startTimer == 0) {
        Default();
        return;
    }
    KillTimer(m_startTimer);
    m_startTimer = 0;
    PostMessage(WM_COMMAND, ID_START_COMMAND, 0);
}

void CBrowserDlg::OnStart()
{
    FilterOptions filters;
    if (!ChooseFilters(filters)) {
        PostMessage(WM_COMMAND, IDCANCEL, 0);
        return;
    }
    m_list.StartScan(filters);
}

void CBrowserDlg::OnCancel()
{
    if (m_list.RequestStop())
        EndDialog(IDCANCEL);
}

void CBrowserDlg::OnSize(UINT, int, int)
{
    Default();
    PostMessage(WM_COMMAND, ID_LAYOUT_COMMAND, 0);
}

void CBrowserDlg::OnLayout()
{
    m_traits.layout.Apply(m_hWnd);
}

void CBrowserDlg::OnSelectionCommand()
{
    ShowSelection();
}

bool CBrowserDlg::IsCursorOver(const CWnd& child) const
{
    POINT cursor;
    RECT rect;
    ::GetCursorPos(&cursor);
    child.GetWindowRect(&rect);
    return ::PtInRect(&rect, cursor) != FALSE;
}

// Over Close and Pause the cursor stays the arrow: they are what the user
// reaches for while the scan runs.
BOOL CBrowserDlg::OnSetCursor(HWND, UINT, UINT)
{
    if (m_list.IsRunning() && !m_list.IsPaused() && !IsCursorOver(m_closeButton) &&
        !IsCursorOver(m_pauseButton)) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_APPSTARTING));
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

// With no scan running the button springs back: there is nothing to hold.
void CBrowserDlg::OnPause()
{
    UpdateData(TRUE);
    if (m_list.IsRunning()) {
        m_list.SetPaused(m_pauseCheck != 0);
        return;
    }
    m_pauseCheck = 0;
    UpdateData(FALSE);
}

void CBrowserDlg::OnCopyTo()
{
    if (m_list.GetSelectedCount() < 1) {
        AfxMessageBox(m_traits.nothingToCopy, MB_ICONINFORMATION);
        return;
    }
    // Read at its own length: a remembered folder too long for the chooser
    // still starts it at the part of that path that fits.
    std::string remembered;
    ReadSettingText(m_copyToSetting, remembered);
    char folder[MAX_PATH];
    FitRememberedFolder(remembered, folder);
    if (!ChooseFolder(m_hWnd, folder, nullptr, 0))
        return;
    WriteSetting(m_copyToSetting, folder);
    ReportCopyFailures(CopyToFolder(m_hWnd, CopySourcesOf(m_list.SelectedRows()), folder));
}

void CBrowserDlg::OnDrill()
{
    const CacheItem* row = m_list.SelectedRow();
    if (!row) {
        AfxMessageBox(m_traits.nothingToDrill, MB_ICONINFORMATION);
        return;
    }
    CDetailsDlg details;
    PrepareDetails(*row, details);
    details.DoModal();
}
