// The Image browser: a modal window of thumbnails that opens its Options
// dialog 300 ms after it is shown, then fills while the user watches.
#pragma once
#include "browser/browser_dlg.h"
#include "images/image_list_view.h"

class CImageBrowserDlg : public CBrowserDlg {
public:
    CImageBrowserDlg();

protected:
    bool ChooseFilters(FilterOptions& filters) override;

private:
    CImageListView m_list;
};
