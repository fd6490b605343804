#include "framework/afxocc.h"
#include "framework/afxapp.h"
#include "framework/afxwnd.h"

#include <ole2.h>

namespace {

using AtlAxWinInitProc = BOOL(WINAPI*)();
using AtlAxGetControlProc = HRESULT(WINAPI*)(HWND, IUnknown**);

// atl.dll stays loaded for the life of the process: its window class is
// registered from it.
AtlAxGetControlProc ControlOfContainer()
{
    static const AtlAxGetControlProc getControl = []() -> AtlAxGetControlProc {
        HMODULE atl = ::LoadLibraryA("atl.dll");
        if (!atl)
            return nullptr;
        auto init = reinterpret_cast<AtlAxWinInitProc>(::GetProcAddress(atl, "AtlAxWinInit"));
        auto get = reinterpret_cast<AtlAxGetControlProc>(::GetProcAddress(atl, "AtlAxGetControl"));
        return init && get && init() ? get : nullptr;
    }();
    return getControl;
}

}  // namespace

HWND AfxCreateControlWindow(REFCLSID clsid, DWORD style, const RECT& rect, HWND parent, UINT id,
                            IUnknown** control)
{
    *control = nullptr;
    AtlAxGetControlProc getControl = ControlOfContainer();
    if (!getControl)
        return nullptr;
    // The container reads the class identifier from its window text.
    WCHAR name[40];
    if (!::StringFromGUID2(clsid, name, 40))
        return nullptr;
    HWND window = ::CreateWindowExW(0, L"AtlAxWin", name, style, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                    AfxGetInstanceHandle(), nullptr);
    if (!window)
        return nullptr;
    if (FAILED(getControl(window, control)) || !*control) {
        *control = nullptr;
        ::DestroyWindow(window);
        return nullptr;
    }
    return window;
}

void AfxCloseControl(IUnknown* control)
{
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(
            control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
        inPlace->InPlaceDeactivate();
        inPlace->Release();
    }
    IOleObject* object = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)))) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        object->Release();
    }
    control->Release();
}

BOOL CWnd::CreateControl(REFCLSID clsid, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if (m_hWnd || !parent)
        return FALSE;
    IUnknown* control = nullptr;
    HWND window = AfxCreateControlWindow(clsid, style, rect, parent->m_hWnd, id, &control);
    if (!window)
        return FALSE;
    m_pCtrlUnknown = control;
    SubclassWindow(window);
    return TRUE;
}

void CWnd::DestroyControl()
{
    if (!m_pCtrlUnknown)
        return;
    IUnknown* control = m_pCtrlUnknown;
    m_pCtrlUnknown = nullptr;
    AfxCloseControl(control);
}
