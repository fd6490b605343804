// The class factory registered for the zemap scheme: one static object that
// makes a protocol object per request and info objects on demand.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "preview/com_object.h"

class CPreviewProtocolFactory : public CComObject<IClassFactory, &IID_IClassFactory> {
public:
    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

protected:
    // The static factory outlives every reference.
    void FinalRelease() override {}
};

// Lives from static construction to process exit; never destroyed by Release.
extern CPreviewProtocolFactory g_previewProtocolFactory;
