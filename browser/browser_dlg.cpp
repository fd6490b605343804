#include "browser/browser_dlg.h"

#include "platform/settings.h"
#include "browser/copy_files.h"
#include "browser/list_commands.h"
#include "browser/save_list.h"
#include "platform/shell_open.h"
#include "res/resource.h"
#include "browser/details_dlg.h"
#include "widgets/folder_chooser.h"
#include "platform/text_code_pages.h"

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
    ON_WM_CONTEXTMENU()
    ON_NOTIFY(LVN_KEYDOWN, IDC_BROWSER_LIST, OnListKeyDown)
    ON_COMMAND(ID_LIST_OPEN, OnListOpen)
    ON_COMMAND(ID_LIST_COPY_URL, OnCopyUrl)
    ON_COMMAND(ID_LIST_OPEN_URL, OnOpenUrl)
    ON_COMMAND(ID_LIST_SELECT_ALL, OnSelectAll)
    ON_COMMAND(ID_LIST_SAVE_LIST, OnSaveList)
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

POINT CBrowserDlg::KeyboardMenuPoint() const
{
    RECT rect = {};
    const int focused = m_list.GetNextItem(-1, LVNI_FOCUSED);
    rect.left = LVIR_BOUNDS;
    POINT point = { 0, 0 };
    if (focused >= 0 &&
        m_list.SendMessage(LVM_GETITEMRECT, focused, reinterpret_cast<LPARAM>(&rect))) {
        point.x = rect.left;
        point.y = rect.top;
    }
    RECT client;
    ::GetClientRect(m_list.m_hWnd, &client);
    if (!::PtInRect(&client, point))
        point = { 0, 0 };
    ::ClientToScreen(m_list.m_hWnd, &point);
    return point;
}

// Only the list's menu is ours; the command it returns goes through the
// message map like a button's, so Copy To and Drill are the buttons' own.
void CBrowserDlg::OnContextMenu(HWND window, POINT point)
{
    if (window != m_list.m_hWnd) {
        Default();
        return;
    }
    if (point.x == -1 && point.y == -1)
        point = KeyboardMenuPoint();
    RowUrls urls;
    HMENU popup = nullptr;
    HMENU menu = LoadListMenu(*m_traits.listMenu, SelectionFactsOf(m_list, urls), popup);
    if (!menu)
        return;
    const UINT command =
        static_cast<UINT>(::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                           point.x, point.y, 0, m_hWnd, nullptr));
    DestroyListMenu(menu);
    if (command != 0)
        SendMessage(WM_COMMAND, command, 0);
}

void CBrowserDlg::OnListKeyDown(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const NMLVKEYDOWN* key = reinterpret_cast<const NMLVKEYDOWN*>(header);
    if (key->wVKey == 'A' && (::GetKeyState(VK_CONTROL) & 0x8000) &&
        !(::GetKeyState(VK_MENU) & 0x8000))
        OnSelectAll();
}

// A command reaches here only when the window's menu enabled it, or from
// the keyboard for Select All: each checks what it needs itself.
void CBrowserDlg::OnListOpen()
{
    const CacheItem* row = m_list.SelectedRow();
    if (row && OffersCommand(*m_traits.listMenu, ID_LIST_OPEN))
        m_list.OpenRow(*row);
}

void CBrowserDlg::OnCopyUrl()
{
    RowUrls urls;
    const std::vector<std::string> found = UrlsOf(m_list.SelectedRows(), urls);
    if (!found.empty())
        CopyUrlsToClipboard(m_hWnd, found);
}

// The first selected row's web address only: a selection of thousands must
// not become as many browser windows.
void CBrowserDlg::OnOpenUrl()
{
    RowUrls urls;
    for (const std::string& url : UrlsOf(m_list.SelectedRows(), urls)) {
        if (IsWebUrl(url)) {
            OpenWithShell(url.c_str());
            return;
        }
    }
}

void CBrowserDlg::OnSelectAll()
{
    SelectAllRows(m_list);
}

void CBrowserDlg::OnSaveList()
{
    if (m_list.GetItemCount() < 1)
        return;
    SaveListChoice choice;
    if (!ChooseListReport(m_hWnd, m_list.GetSelectedCount(), choice))
        return;
    ListReport report;
    if (choice.selectedOnly) {
        report.rows = m_list.SelectedRows();
    } else {
        for (int index = 0; const CacheItem* row = m_list.Row(index); ++index)
            report.rows.push_back(row);
    }
    report.format = choice.format;
    report.kind = m_traits.listMenu->reportKind;
    CString caption;
    GetWindowText(caption);
    report.title = AnsiToUtf8(static_cast<const char*>(caption));
    const CCacheListCtrl& list = m_list;
    report.thumbnail = [&list](const CacheItem& row) { return list.ThumbnailPng(row); };
    SaveListReport(m_hWnd, report, choice.target);
}
