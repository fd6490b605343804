#include "preview/preview_protocol_factory.h"

#include <new>
#include <urlmon.h>

#include "preview/preview_protocol.h"
#include "preview/preview_protocol_info.h"

CPreviewProtocolFactory g_previewProtocolFactory;

namespace {

HRESULT CreatePreviewProtocol(REFIID riid, void** ppv)
{
    CPreviewProtocol* protocol = new (std::nothrow) CPreviewProtocol;
    if (!protocol)
        return E_OUTOFMEMORY;
    // Takes the first reference; only the protocol's own interfaces get here.
    return protocol->QueryInterface(riid, ppv);
}

HRESULT CreatePreviewProtocolInfo(REFIID riid, void** ppv)
{
    CPreviewProtocolInfo* info = new (std::nothrow) CPreviewProtocolInfo;
    if (!info)
        return E_OUTOFMEMORY;
    if (FAILED(info->QueryInterface(riid, ppv))) {
        delete info;
        return E_NOINTERFACE;
    }
    return S_OK;
}

}  // namespace

// urlmon first asks for an aggregated IUnknown; refused, it asks again for
// the protocol interface itself.
STDMETHODIMP CPreviewProtocolFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    if (riid == IID_IInternetProtocolRoot || riid == IID_IInternetProtocol)
        return CreatePreviewProtocol(riid, ppv);
    if (riid == IID_IInternetProtocolInfo)
        return CreatePreviewProtocolInfo(riid, ppv);
    return E_NOINTERFACE;
}

STDMETHODIMP CPreviewProtocolFactory::LockServer(BOOL)
{
    return S_OK;
}
