#include "media/media_browser_dlg.h"

#include "preview/current_preview_file.h"
#include "res/resource.h"
#include "browser/date_options_dlg.h"

#include <cstdio>
#include <string>

namespace {

// The list grows downwards only, to the buttons' line; the preview pane
// takes the new room. The placeholder stays the last stretching rule: the
// button row ends under it even when the pane could not be made.
const BrowserTraits mediaBrowser = {
    IDD_MEDIA_BROWSER,
    3001,
    "DirOf0",
    "No files selected.\r\n\r\nSelect some files on the list first.",
    "No files selected.\r\n\r\nSelect a files on the list first.",
    BrowserLayout({ { IDC_BROWSER_LIST, Follow::LengthenToRow },
                    { IDC_PREVIEW_HOST, Follow::Stretch },
                    { IDC_PREVIEW_PLACEHOLDER, Follow::Stretch } },
                  { IDCANCEL, IDC_FILE_DRILL, IDC_COPY_TO, IDC_PAUSE }),
    &kFileListOffer,
};

const char* TitleOf(int32_t kind)
{
    switch (kind) {
    case Flashes:
        return "Flashes";
    case Movies:
        return "Movies";
    case Audios:
        return "Audios";
    default:
        return nullptr;
    }
}

}  // namespace

CMediaBrowserDlg::CMediaBrowserDlg() : CBrowserDlg(mediaBrowser, m_list) {}

// Each kind remembers its own Copy To folder.
void CMediaBrowserDlg::SetMediaKind(int32_t kind)
{
    m_mediaKind = kind;
    char setting[16];
    std::snprintf(setting, sizeof setting, "DirOf%u", static_cast<unsigned>(kind));
    SetCopyToSetting(setting);
}

void CMediaBrowserDlg::DoDataExchange(CDataExchange* pDX)
{
    CBrowserDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PREVIEW_PLACEHOLDER, m_placeholder);
}

BOOL CMediaBrowserDlg::OnInitDialog()
{
    const char* title = TitleOf(m_mediaKind);
    if (!title) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    SetWindowText(title);
    return CBrowserDlg::OnInitDialog();
}

void CMediaBrowserDlg::AddPanes()
{
    RECT place;
    m_placeholder.GetWindowRect(&place);
    ScreenToClient(&place);
    m_placeholder.ShowWindow(SW_HIDE);
    m_preview.Create(this, place);
}

bool CMediaBrowserDlg::ChooseFilters(FilterOptions& filters)
{
    if (!RunOptionsDialog<CDateOptionsDlg>(filters))
        return false;
    filters.mediaKind = m_mediaKind;
    return true;
}

// The page is built from the Current preview file when the request starts,
// so the path goes there first: a file row's own, an entry's body written
// among the list's temporary files. With nothing selected, or a body that
// cannot be written under a path the Current preview file holds whole, the
// pane goes blank.
void CMediaBrowserDlg::ShowSelection()
{
    std::string file = m_list.SelectedRowFile();
    if (file.size() >= MAX_PATH)
        file.clear();
    lstrcpynA(g_szCurrentPreviewFile, file.c_str(), MAX_PATH);
    m_preview.Navigate(file.empty() ? "about:blank" : "zemap://zema.svc/go.htm");
}
