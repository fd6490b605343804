// The class factory registered for the zemap scheme: one static object that
// makes a protocol object per request and info objects on demand.
#pragma once
#include <windows.h>
#include <unknwn.h>

class CPreviewProtocolFactory : public IClassFactory {
public:
    CPreviewProtocolFactory();
    virtual ~CPreviewProtocolFactory();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    volatile LONG m_cRef;
};

// Lives from static construction to process exit; never destroyed by Release.
extern CPreviewProtocolFactory g_previewProtocolFactory;
