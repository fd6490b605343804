#include "app/console_message.h"

#include "framework/afxapp.h"

#include <windows.h>

namespace {

bool Writable(HANDLE handle)
{
    return handle && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool WriteAll(HANDLE handle, const std::string& text)
{
    DWORD written = 0;
    return ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// A program of the windows subsystem gets no console of its own; the one it
// was started from is reached by attaching to it, once.
HANDLE ParentConsole()
{
    static const HANDLE console = [] {
        if (!::AttachConsole(ATTACH_PARENT_PROCESS))
            return INVALID_HANDLE_VALUE;
        return ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

}  // namespace

void TellUser(const std::string& text, bool problem)
{
    std::string line = text;
    if (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0)
        line += "\r\n";
    const HANDLE given = ::GetStdHandle(problem ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (Writable(given) && WriteAll(given, line))
        return;
    const HANDLE console = ParentConsole();
    if (Writable(console) && WriteAll(console, "\r\n" + line))
        return;
    AfxMessageBox(text.c_str(), problem ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
}
