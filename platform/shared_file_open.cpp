#include "platform/shared_file_open.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>

int OpenSharedReadOnly(const char* path)
{
    // No security attributes: the handle is not inherited by programs this
    // one starts, as _O_NOINHERIT keeps the C runtime's own.
    HANDLE file =
        ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (descriptor < 0)
        ::CloseHandle(file);
    return descriptor;
}
