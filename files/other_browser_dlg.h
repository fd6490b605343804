// The Other-files browser: the cache files whose names match a wildcard, in a
// window of fixed size; a double-click opens a file with its default program.
#pragma once
#include "browser/browser_dlg.h"
#include "files/other_list_ctrl.h"

class COtherBrowserDlg : public CBrowserDlg {
public:
    COtherBrowserDlg();

protected:
    bool ChooseFilters(FilterOptions& filters) override;

private:
    COtherListCtrl m_list;
};
