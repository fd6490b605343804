#include "files/other_browser_dlg.h"

#include "res/resource.h"
#include "files/other_options_dlg.h"

namespace {

const BrowserTraits otherBrowser = {
    IDD_OTHER_BROWSER,
    5001,
    "dirSaveOtherFiles",
    "No files selected.\r\n\r\nSelect some files on the list first.",
    "No files selected.\r\n\r\nSelect a file on the list first.",
    BrowserLayout(),
    &kFileListOffer,
};

}  // namespace

COtherBrowserDlg::COtherBrowserDlg() : CBrowserDlg(otherBrowser, m_list) {}

bool COtherBrowserDlg::ChooseFilters(FilterOptions& filters)
{
    return RunOptionsDialog<COtherOptionsDlg>(filters);
}
