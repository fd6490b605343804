// The Media browser: Flashes, Movies or Audios by media kind, one window
// class for the three. The list is on the left; selecting a row navigates the
// preview pane to the zemap page, which plays the file in its player.
#pragma once
#include "browser/browser_dlg.h"
#include "media/media_category.h"
#include "media/media_list_ctrl.h"
#include "preview/preview_host.h"

class CMediaBrowserDlg : public CBrowserDlg {
public:
    CMediaBrowserDlg();

    // Set by the launcher before DoModal; 0 Flashes at construction.
    void SetMediaKind(int32_t kind);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // A kind without a title ends the window as soon as it would open.
    BOOL OnInitDialog() override;
    bool ChooseFilters(FilterOptions& filters) override;
    // The placeholder's place goes to the preview pane.
    void AddPanes() override;
    void ShowSelection() override;

private:
    CStatic m_placeholder;
    CMediaListCtrl m_list;
    CPreviewHost m_preview;
    int32_t m_mediaKind = Flashes;
};
