// The IUnknown of the program's own COM objects, written once: one interface
// table (Interface, derived from IUnknown) that answers IUnknown and the
// interfaces named, and a reference count that the URL-moniker layer may
// change from threads of its own choosing, hence interlocked.
#pragma once
#include <windows.h>
#include <unknwn.h>

template <class Interface, const IID*... interfaces> class CComObject : public Interface {
public:
    virtual ~CComObject() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && !((riid == *interfaces) || ...))
            return E_NOINTERFACE;
        *ppv = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&m_cRef); }

    // Never goes below zero, so a surplus Release is harmless; the one that
    // takes the last reference ends the object.
    STDMETHODIMP_(ULONG) Release() override
    {
        for (;;) {
            LONG before = m_cRef;
            if (before <= 0)
                return 0;
            if (::InterlockedCompareExchange(&m_cRef, before - 1, before) != before)
                continue;
            if (before == 1)
                FinalRelease();
            return static_cast<ULONG>(before - 1);
        }
    }

protected:
    // Objects made per request free themselves; a static one lives on.
    virtual void FinalRelease() { delete this; }

private:
    volatile LONG m_cRef = 0;
};
