#include "images/image_browser_dlg.h"

#include "app/settings.h"
#include "images/copy_files.h"
#include "res/resource.h"
#include "scan/image_options_dlg.h"
#include "widgets/details_dlg.h"
#include "widgets/folder_chooser.h"

#include <string>
#include <vector>

namespace {
constexpr UINT startTimerId = 2001;
constexpr UINT startDelay = 300;
}  // namespace

BEGIN_MESSAGE_MAP(CImageBrowserDlg, CDialog)
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_COMMAND(ID_LAYOUT_COMMAND, OnLayout)
    ON_COMMAND(ID_START_COMMAND, OnStart)
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_PAUSE, OnPause)
    ON_BN_CLICKED(IDC_COPY_TO, OnCopyTo)
    ON_BN_CLICKED(IDC_DRILL, OnDrill)
END_MESSAGE_MAP()

CImageBrowserDlg::CImageBrowserDlg() : CDialog(IDD_IMAGE_BROWSER)
{
}

void CImageBrowserDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_DRILL, m_drillButton);
    DDX_Control(pDX, IDC_COPY_TO, m_copyToButton);
    DDX_Control(pDX, IDC_PAUSE, m_pauseButton);
    DDX_Control(pDX, IDCANCEL, m_closeButton);
    DDX_Control(pDX, IDC_THUMBNAIL_LIST, m_list);
    DDX_Check(pDX, IDC_PAUSE, m_pauseCheck);
}

RECT CImageBrowserDlg::ChildRect(const CWnd& child) const
{
    RECT rect;
    child.GetWindowRect(&rect);
    ScreenToClient(&rect);
    return rect;
}

BOOL CImageBrowserDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    RECT client;
    GetClientRect(&client);
    RECT list = ChildRect(m_list);
    m_listRightMargin = client.right - list.right;
    m_listBottomMargin = client.bottom - list.bottom;
    m_buttonBottomMargin = client.bottom - ChildRect(m_closeButton).bottom;
    m_startTimer = SetTimer(startTimerId, startDelay);
    return TRUE;
}

void CImageBrowserDlg::OnTimer(UINT_PTR id)
{
    if (id != m_startTimer || m_startTimer == 0) {
        Default();
        return;
    }
    KillTimer(m_startTimer);
    m_startTimer = 0;
    PostMessage(WM_COMMAND, ID_START_COMMAND, 0);
}

void CImageBrowserDlg::OnStart()
{
    CImageOptionsDlg options;
    if (options.DoModal() != IDOK) {
        PostMessage(WM_COMMAND, IDCANCEL, 0);
        return;
    }
    m_list.StartScan(options.m_thumbnailEdge, options.m_dateMode, options.m_dayNumber,
                     options.m_sizeMode, options.m_width, options.m_height, options.ChosenTypes());
}

void CImageBrowserDlg::OnCancel()
{
    if (m_list.RequestStop())
        EndDialog(IDCANCEL);
}

void CImageBrowserDlg::OnSize(UINT, int, int)
{
    Default();
    PostMessage(WM_COMMAND, ID_LAYOUT_COMMAND, 0);
}

// The list keeps its left and top; the list's right and bottom margins and
// the button row stay anchored to the bottom right, the buttons keeping
// their size and order.
void CImageBrowserDlg::OnLayout()
{
    if (m_listBottomMargin == 0)
        return;
    RECT client;
    GetClientRect(&client);
    RECT list = ChildRect(m_list);
    list.right = client.right - m_listRightMargin;
    list.bottom = client.bottom - m_listBottomMargin;
    m_list.MoveWindow(list);

    RECT close = ChildRect(m_closeButton);
    int width = close.right - close.left, height = close.bottom - close.top;
    close.right = client.right - m_listRightMargin;
    close.bottom = client.bottom - m_buttonBottomMargin;
    close.left = close.right - width;
    close.top = close.bottom - height;
    m_closeButton.MoveWindow(close);

    RECT place = close;
    for (CButton* button : {&m_drillButton, &m_copyToButton, &m_pauseButton}) {
        place.right = place.left - 1;
        place.left = place.right - width;
        button->MoveWindow(place);
    }
}

bool CImageBrowserDlg::IsCursorOver(const CWnd& child) const
{
    POINT cursor;
    RECT rect;
    ::GetCursorPos(&cursor);
    child.GetWindowRect(&rect);
    return ::PtInRect(&rect, cursor) != FALSE;
}

BOOL CImageBrowserDlg::OnSetCursor(HWND, UINT, UINT)
{
    if (m_list.IsRunning() && !m_list.IsPaused() && !IsCursorOver(m_closeButton) &&
        !IsCursorOver(m_pauseButton)) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_APPSTARTING));
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

void CImageBrowserDlg::OnPause()
{
    UpdateData(TRUE);
    if (m_list.IsRunning()) {
        m_list.SetPaused(m_pauseCheck != 0);
        return;
    }
    m_pauseCheck = 0;
    UpdateData(FALSE);
}

void CImageBrowserDlg::OnCopyTo()
{
    if (m_list.GetSelectedCount() < 1) {
        AfxMessageBox("No images selected.\r\n\r\nSelect some images on the list first.",
                      MB_ICONINFORMATION);
        return;
    }
    char folder[MAX_PATH] = {};
    if (!ReadSetting("ImageCopyToDir", folder, sizeof folder))
        folder[0] = '\0';
    if (!ChooseFolder(m_hWnd, folder, nullptr, 0))
        return;
    WriteSetting("ImageCopyToDir", folder);

    std::vector<std::string> paths;
    for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = m_list.GetNextItem(row, LVNI_SELECTED)) {
        if (auto* item = reinterpret_cast<const CacheItem*>(m_list.GetItemData(row)))
            paths.emplace_back(item->path);
    }
    CopyFilesToFolder(m_hWnd, paths, folder);
}

void CImageBrowserDlg::OnDrill()
{
    const char* path = m_list.FirstSelectedPath();
    if (!path) {
        AfxMessageBox("No images selected.\r\n\r\nSelect a image on the list first.",
                      MB_ICONINFORMATION);
        return;
    }
    CDetailsDlg details;
    details.m_cacheFilePath = path;
    details.DoModal();
}
