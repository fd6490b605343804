#include "preview/preview_protocol.h"

#include "preview/current_preview_file.h"
#include "preview/preview_page.h"

CPreviewProtocol::CPreviewProtocol() : m_pSink(nullptr) {}

STDMETHODIMP CPreviewProtocol::Start(LPCWSTR, IInternetProtocolSink* sink, IInternetBindInfo*,
                                     DWORD, HANDLE_PTR)
{
    m_pSink = sink;
    // A bounded copy: the browser may be rewriting the shared path meanwhile,
    // and the page builder must never run off its end.
    char path[MAX_PATH];
    lstrcpynA(path, g_szCurrentPreviewFile, MAX_PATH);
    HeapText page = BuildPreviewPage(path);
    m_page.AppendString(page.get());
    ReportPage();
    m_pSink = nullptr;
    return S_OK;
}

// The whole page is in the buffer before the sink hears of it.
void CPreviewProtocol::ReportPage()
{
    if (!m_pSink)
        return;
    ULONG size = m_page.TotalAppended();
    if (m_pSink->ReportData(BSCF_FIRSTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE, size, size) !=
        S_OK)
        return;
    if (m_pSink->ReportData(BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE, size, size) !=
        S_OK)
        return;
    m_pSink->ReportResult(S_OK, 0, nullptr);
}

STDMETHODIMP CPreviewProtocol::Continue(PROTOCOLDATA*)
{
    return S_OK;
}

STDMETHODIMP CPreviewProtocol::Abort(HRESULT, DWORD)
{
    return S_OK;
}

// The page stays until the last reference goes.
STDMETHODIMP CPreviewProtocol::Terminate(DWORD)
{
    return S_OK;
}

STDMETHODIMP CPreviewProtocol::Suspend()
{
    return E_NOTIMPL;
}

STDMETHODIMP CPreviewProtocol::Resume()
{
    return E_NOTIMPL;
}

STDMETHODIMP CPreviewProtocol::Read(void* buffer, ULONG size, ULONG* read)
{
    ULONG count = m_page.Read(buffer, size);
    if (read)
        *read = count;
    return count ? S_OK : S_FALSE;
}

STDMETHODIMP CPreviewProtocol::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*)
{
    return E_FAIL;
}

STDMETHODIMP CPreviewProtocol::LockRequest(DWORD)
{
    return S_OK;
}

STDMETHODIMP CPreviewProtocol::UnlockRequest()
{
    return S_OK;
}
