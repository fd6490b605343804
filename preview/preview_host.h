// The Media browser's preview pane: the web-browser control in a child window.
// Without the control (none installed, or one without IWebBrowser2) the pane
// stays empty and navigating does nothing.
#pragma once
#include "framework/afxwin.h"

#include <exdisp.h>

class CPreviewHost : public CWnd {
public:
    // Over the rectangle, in the parent's client coordinates, showing
    // "about:blank"; false when the control could not be had.
    bool Create(CWnd* parent, const RECT& rect);
    void Navigate(const char* url);

protected:
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    // Held for the life of the window; null for good without the control.
    IWebBrowser2* m_pBrowser = nullptr;
};
