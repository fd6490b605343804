#include "preview/preview_protocol_registration.h"

#include "preview/preview_protocol_factory.h"

HRESULT RegisterPreviewProtocol(IInternetSession* session)
{
    if (!session)
        return E_POINTER;
    // No class identifier and no patterns: the scheme alone selects the handler.
    return session->RegisterNameSpace(&g_previewProtocolFactory, CLSID_NULL, L"zemap", 0, nullptr,
                                      0);
}
