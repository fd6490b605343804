// The Text browser: the cache's text files that hold a search text, with the
// selected file shown in a content pane beside the list.
#pragma once
#include "browser/browser_dlg.h"
#include "files/content_pane.h"
#include "files/text_list_ctrl.h"

class CTextBrowserDlg : public CBrowserDlg {
public:
    CTextBrowserDlg();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool ChooseFilters(FilterOptions& filters) override;
    void ShowSelection() override;

private:
    CContentPane m_pane;
    CTextListCtrl m_list;
};
