// ActiveX controls as child windows (CWnd::CreateControl). The container is
// the platform's own: atl.dll's "AtlAxWin" window creates the control named
// by its text, gives it a client site and an in-place site, activates it in
// place and keeps it sized to the window. atl.dll is loaded when the first
// control is made, so a system without it only lacks the controls.
#pragma once
#include <windows.h>
#include <unknwn.h>

// Creates the container window and its control; the control's IUnknown with
// a reference of the caller's, or null (and no window) when either cannot be
// had.
HWND AfxCreateControlWindow(REFCLSID clsid, DWORD style, const RECT& rect, HWND parent, UINT id,
                            IUnknown** control);

// Takes the control down, in the order a container owes it: in-place
// deactivate, close without saving, release the client site; then releases
// the caller's reference. The container window drops its own when it is
// destroyed.
void AfxCloseControl(IUnknown* control);
