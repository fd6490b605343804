// One request of the zemap scheme: builds the page of the Current preview file
// when the binding starts and hands it out through Read.
#pragma once
#include <windows.h>
#include <urlmon.h>

#include "preview/com_object.h"
#include "preview/page_buffer.h"

class CPreviewProtocol
    : public CComObject<IInternetProtocol, &IID_IInternetProtocolRoot, &IID_IInternetProtocol> {
public:
    CPreviewProtocol();

    // IInternetProtocolRoot
    STDMETHODIMP Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo,
                       DWORD flags, HANDLE_PTR reserved) override;
    STDMETHODIMP Continue(PROTOCOLDATA* data) override;
    STDMETHODIMP Abort(HRESULT reason, DWORD options) override;
    STDMETHODIMP Terminate(DWORD options) override;
    STDMETHODIMP Suspend() override;
    STDMETHODIMP Resume() override;

    // IInternetProtocol
    STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override;
    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
    STDMETHODIMP LockRequest(DWORD options) override;
    STDMETHODIMP UnlockRequest() override;

private:
    void ReportPage();

    IInternetProtocolSink* m_pSink;  // borrowed for the length of Start
    CPageBuffer m_page;
};
