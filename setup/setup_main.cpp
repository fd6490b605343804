// ZEMASetup: installs, reinstalls or removes the viewer. The C runtime's entry
// skips the program name and passes the start-up show state (SW_SHOWDEFAULT
// when none is given); the command line itself is never read.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "setup/setup_dlg.h"
#include "setup/setup_resource.h"

namespace {

int SetupMain(HINSTANCE instance, int /*showState*/)
{
    // The shell link object and the folder-browse dialog want an apartment.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX classes = { sizeof classes, ICC_BAR_CLASSES | ICC_COOL_CLASSES };
    ::InitCommonControlsEx(&classes);
    INT_PTR result = ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), ::GetActiveWindow(),
                                       SetupDialogProc, 0);
    ::CoUninitialize();
    return static_cast<int>(result);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState)
{
    return SetupMain(instance, showState);
}
