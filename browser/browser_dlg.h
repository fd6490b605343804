// What every category browser does the same way: a modal window that opens
// its Options dialog 300 ms after it is shown, lets its list control scan
// once while the user watches, and offers Pause, Copy To..., Drill... and
// Close. A browser tells itself apart by its traits (data) and by its Options
// dialog; one that shows the selected row overrides ShowSelection, one with
// panes of its own adds them in AddPanes.
#pragma once
#include "framework/afxwin.h"
#include "browser/browser_layout.h"
#include "browser/list_menu.h"
#include "scan/cache_list_ctrl.h"
#include "scan/filter_options.h"

struct BrowserTraits {
    UINT dialogId;
    UINT startTimerId;
    // Where Copy To remembers its destination folder; a browser that knows
    // it only after construction names it with SetCopyToSetting.
    const char* copyToSetting;
    // The refusals of Copy To and Drill when no row is selected.
    const char* nothingToCopy;
    const char* nothingToDrill;
    BrowserLayout layout;
    // The list's context menu: what it offers, what Save List writes.
    const ListMenuOffer* listMenu;
};

class CBrowserDlg : public CDialog {
protected:
    // The list is a member of the derived browser, bound in DoDataExchange.
    CBrowserDlg(const BrowserTraits& traits, CCacheListCtrl& list);

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter never closes a browser.
    void OnOK() override {}
    // Close, Escape and the close box defer to a running scan: the worker
    // posts IDCANCEL once it has unwound.
    void OnCancel() override;

    // Runs the browser's Options dialog; false when the user cancelled it.
    virtual bool ChooseFilters(FilterOptions& filters) = 0;
    // After the list's selection changed.
    virtual void ShowSelection() {}
    // The browser's own windows made at run time, before the layout is
    // measured, so that they follow the window as the template's do.
    virtual void AddPanes() {}

    void SetCopyToSetting(const char* name) { m_copyToSetting = name; }

    // The usual ChooseFilters: the dialog's values after OK.
    template <class OptionsDialog> static bool RunOptionsDialog(FilterOptions& filters)
    {
        OptionsDialog options;
        if (options.DoModal() != IDOK)
            return false;
        filters = options.Filters();
        return true;
    }

    void OnTimer(UINT_PTR id);
    void OnSize(UINT type, int cx, int cy);
    void OnLayout();
    void OnStart();
    void OnSelectionCommand();
    BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message);
    void OnPause();
    void OnCopyTo();
    void OnDrill();
    // The list's context menu and its commands; the menu key and Shift+F10
    // open it at the focused row.
    void OnContextMenu(HWND window, POINT point);
    void OnListKeyDown(NMHDR* header, LRESULT* result);
    void OnListOpen();
    void OnCopyUrl();
    void OnOpenUrl();
    void OnSelectAll();
    void OnSaveList();

private:
    bool IsCursorOver(const CWnd& child) const;
    // Where the keyboard's menu opens: below the focused row's top-left,
    // or the list's own corner when no row is in view.
    POINT KeyboardMenuPoint() const;

    BrowserTraits m_traits;
    CCacheListCtrl& m_list;
    CString m_copyToSetting;
    CButton m_pauseButton;
    CButton m_closeButton;
    int m_pauseCheck = 0;
    UINT_PTR m_startTimer = 0;

    DECLARE_MESSAGE_MAP()
};
