#include "preview/preview_host.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CPreviewHost, CWnd)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

bool CPreviewHost::Create(CWnd* parent, const RECT& rect)
{
    m_pBrowser = nullptr;
    if (!CreateControl(CLSID_WebBrowser, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                       rect, parent, IDC_PREVIEW_HOST))
        return false;
    if (FAILED(GetControlUnknown()->QueryInterface(IID_IWebBrowser2,
                                                   reinterpret_cast<void**>(&m_pBrowser)))) {
        m_pBrowser = nullptr;
        return false;
    }
    Navigate("about:blank");
    return true;
}

void CPreviewHost::Navigate(const char* url)
{
    if (!m_pBrowser)
        return;
    WCHAR wide[MAX_PATH];
    if (!::MultiByteToWideChar(CP_ACP, 0, url, -1, wide, MAX_PATH))
        return;
    BSTR address = ::SysAllocString(wide);
    if (!address)
        return;
    VARIANT none;
    ::VariantInit(&none);
    m_pBrowser->Navigate(address, &none, &none, &none, &none);
    ::SysFreeString(address);
}

// The framework has closed the control by now; this reference is the last
// of the window's own.
void CPreviewHost::OnDestroy()
{
    if (m_pBrowser) {
        m_pBrowser->Release();
        m_pBrowser = nullptr;
    }
    Default();
}
