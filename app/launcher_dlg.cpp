#include "app/launcher_dlg.h"

#include "app/about_dlg.h"
#include "files/other_browser_dlg.h"
#include "files/text_browser_dlg.h"
#include "images/image_browser_dlg.h"
#include "media/media_browser_dlg.h"
#include "res/resource.h"
#include "sources/caches_dlg.h"
#include "sources/caches_to_scan.h"

namespace {

// Flashes, Movies and Audios open the same window, told apart by the kind.
void OpenMediaBrowser(MediaKind kind)
{
    CMediaBrowserDlg browser;
    browser.SetMediaKind(kind);
    browser.DoModal();
}

}  // namespace

BEGIN_MESSAGE_MAP(CLauncherDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_COMMAND(IDC_LAUNCHER_CLOSE, OnClose)
    ON_COMMAND(IDC_IMAGES, OnImages)
    ON_COMMAND(IDC_FLASHES, OnFlashes)
    ON_COMMAND(IDC_MOVIES, OnMovies)
    ON_COMMAND(IDC_AUDIOS, OnAudios)
    ON_COMMAND(IDC_TEXT_FILES, OnTextFiles)
    ON_COMMAND(IDC_OTHER_FILES, OnOtherFiles)
    ON_COMMAND(IDC_CACHES, OnCaches)
    ON_COMMAND(IDC_ABOUT, OnAbout)
END_MESSAGE_MAP()

CLauncherDlg::CLauncherDlg() : CDialog(IDD_LAUNCHER) {}

BOOL CLauncherDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HINSTANCE instance = AfxGetResourceHandle();
    HANDLE big =
        ::LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    HANDLE small = ::LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                LR_DEFAULTCOLOR);
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    // Started on folders of the user's (/cache), the browsers read those
    // alone and the Caches window's choice has nothing to choose.
    if (ScansGivenCachesOnly())
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CACHES), FALSE);
    return TRUE;
}

// The close box and Alt+F4 take the Close button's path. The code is compared
// whole: only SC_CLOSE itself, not its low-bit variants.
void CLauncherDlg::OnSysCommand(UINT id, LPARAM)
{
    if (id == SC_CLOSE) {
        PostMessage(WM_COMMAND, IDC_LAUNCHER_CLOSE, 0);
        return;
    }
    Default();
}

void CLauncherDlg::OnClose()
{
    CDialog::OnOK();
}

// Each click opens a fresh browser with fresh default filters; the launcher
// is disabled while it runs.
void CLauncherDlg::OnImages()
{
    CImageBrowserDlg browser;
    browser.DoModal();
}

void CLauncherDlg::OnFlashes()
{
    OpenMediaBrowser(Flashes);
}

void CLauncherDlg::OnMovies()
{
    OpenMediaBrowser(Movies);
}

void CLauncherDlg::OnAudios()
{
    OpenMediaBrowser(Audios);
}

void CLauncherDlg::OnTextFiles()
{
    CTextBrowserDlg browser;
    browser.DoModal();
}

void CLauncherDlg::OnOtherFiles()
{
    COtherBrowserDlg browser;
    browser.DoModal();
}

void CLauncherDlg::OnCaches()
{
    CCachesDlg caches;
    caches.DoModal();
}

void CLauncherDlg::OnAbout()
{
    CAboutDlg about;
    about.DoModal();
}
