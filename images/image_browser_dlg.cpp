#include "images/image_browser_dlg.h"

#include "res/resource.h"
#include "images/image_options_dlg.h"

namespace {

// The list and the button row follow the window's bottom right.
const BrowserTraits imageBrowser = {
    IDD_IMAGE_BROWSER,
    2001,
    "ImageCopyToDir",
    "No images selected.\r\n\r\nSelect some images on the list first.",
    "No images selected.\r\n\r\nSelect a image on the list first.",
    BrowserLayout({ { IDC_BROWSER_LIST, Follow::Stretch } },
                  { IDCANCEL, IDC_DRILL, IDC_COPY_TO, IDC_PAUSE }),
    &kPictureListOffer,
};

}  // namespace

CImageBrowserDlg::CImageBrowserDlg() : CBrowserDlg(imageBrowser, m_list) {}

bool CImageBrowserDlg::ChooseFilters(FilterOptions& filters)
{
    return RunOptionsDialog<CImageOptionsDlg>(filters);
}
