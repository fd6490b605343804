#include "files/text_browser_dlg.h"

#include "res/resource.h"
#include "files/text_options_dlg.h"

namespace {

// The list grows downwards only, to the buttons' line; the pane takes the
// new room.
const BrowserTraits textBrowser = {
    IDD_TEXT_BROWSER,
    4001,
    "dirSaveTextFiles",
    "No files selected.\r\n\r\nSelect some files on the list first.",
    "No files selected.\r\n\r\nSelect a file on the list first.",
    BrowserLayout(
        { { IDC_BROWSER_LIST, Follow::LengthenToRow }, { IDC_CONTENT_PANE, Follow::Stretch } },
        { IDCANCEL, IDC_FILE_DRILL, IDC_COPY_TO, IDC_PAUSE }),
    &kTextListOffer,
};

}  // namespace

CTextBrowserDlg::CTextBrowserDlg() : CBrowserDlg(textBrowser, m_list) {}

void CTextBrowserDlg::DoDataExchange(CDataExchange* pDX)
{
    CBrowserDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONTENT_PANE, m_pane);
}

bool CTextBrowserDlg::ChooseFilters(FilterOptions& filters)
{
    return RunOptionsDialog<CTextOptionsDlg>(filters);
}

void CTextBrowserDlg::ShowSelection()
{
    m_pane.Show(m_list.SelectedRow(), m_list.SearchText());
}
