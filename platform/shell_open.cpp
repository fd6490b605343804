#include "platform/shell_open.h"

#include <windows.h>
#include <shellapi.h>

bool OpenWithShell(const char* target)
{
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = ::GetDesktopWindow();
    info.nShow = SW_SHOWNORMAL;
    info.lpFile = target;
    return ::ShellExecuteExA(&info) != FALSE;
}
