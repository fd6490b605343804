// The Image browser: a modal window of thumbnails that opens its Options
// dialog 300 ms after it is shown, then fills while the user watches.
#pragma once
#include "afxwin.h"
#include "images/image_list_view.h"

class CImageBrowserDlg : public CDialog {
public:
    CImageBrowserDlg();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter never closes the browser.
    void OnOK() override {}
    void OnCancel() override;

    void OnTimer(UINT_PTR id);
    void OnSize(UINT type, int cx, int cy);
    void OnLayout();
    void OnStart();
    BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message);
    void OnPause();
    void OnCopyTo();
    void OnDrill();

    CButton m_drillButton;
    CButton m_copyToButton;
    CButton m_pauseButton;
    CButton m_closeButton;
    CImageListView m_list;
    int m_pauseCheck = 0;
    int m_listRightMargin = 0;
    int m_listBottomMargin = 0;
    int m_buttonBottomMargin = 0;
    UINT_PTR m_startTimer = 0;

private:
    RECT ChildRect(const CWnd& child) const;
    bool IsCursorOver(const CWnd& child) const;

    DECLARE_MESSAGE_MAP()
};
