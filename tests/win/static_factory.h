// Class factories a test registers for the whole run or one test: they live
// on the stack or as globals, so the last Release frees nothing.
#pragma once
#include "preview/com_object.h"

class StaticFactory : public CComObject<IClassFactory, &IID_IClassFactory> {
public:
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

protected:
    void FinalRelease() override {}
};

// Stands for a system without the web-browser control.
class NoControlFactory : public StaticFactory {
public:
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return REGDB_E_CLASSNOTREG;
    }
};
