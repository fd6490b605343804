#include "widgets/folder_chooser.h"

#include <shlobj.h>

#include <cstring>

namespace {

const POINT kDialogPosition = { 50, 50 };

int CALLBACK FolderChooserCallback(HWND dialog, UINT message, LPARAM item, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        RECT rect;
        ::GetWindowRect(dialog, &rect);
        ::MoveWindow(dialog, kDialogPosition.x, kDialogPosition.y, rect.right - rect.left,
                     rect.bottom - rect.top, TRUE);
        if (data)
            ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        // Virtual folders leave the path empty, which both blanks the status
        // line and keeps OK from accepting them.
        char path[MAX_PATH] = {};
        ::SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(item), path);
        ::SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
        ::SendMessageA(dialog, BFFM_ENABLEOK, 0, path[0] != '\0');
    }
    return 0;
}

bool IsDirectory(const char* path)
{
    DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder itself or the nearest of its parents that exists; false when
// none does.
bool NearestExistingFolder(const char* path, char (&folder)[MAX_PATH])
{
    lstrcpynA(folder, path, MAX_PATH);
    for (;;) {
        if (folder[0] && IsDirectory(folder))
            return true;
        char* separator = std::strrchr(folder, '\\');
        if (!separator)
            return false;
        // A drive's root keeps its backslash, and is the last to try.
        bool atDriveRoot = separator > folder && separator[-1] == ':';
        if (atDriveRoot && separator[1] == '\0')
            return false;
        separator[atDriveRoot ? 1 : 0] = '\0';
    }
}

void FreeItemList(LPITEMIDLIST list)
{
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&allocator))) {
        allocator->Free(list);
        allocator->Release();
    }
}

}  // namespace

UINT FolderChooserFlags(DWORD version)
{
    UINT flags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_RETURNFSANCESTORS;
    bool ntFamily = (version & 0x80000000u) == 0;
    if (ntFamily && LOBYTE(LOWORD(version)) >= 5)
        flags |= BIF_NEWDIALOGSTYLE;
    return flags;
}

int ChooseFolder(HWND owner, char* path, const char* title, int root)
{
    LPITEMIDLIST rootList = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(owner, root, &rootList)))
        return 0;

    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = rootList;
    info.pszDisplayName = path;
    info.lpszTitle = title;
    info.ulFlags = FolderChooserFlags(::GetVersion());
    info.lpfn = FolderChooserCallback;
    char start[MAX_PATH];
    info.lParam = NearestExistingFolder(path, start) ? reinterpret_cast<LPARAM>(start) : 0;
    info.iImage = 0;

    // Wine's shell copies its display-name buffer back even on cancel, and
    // then that buffer holds whatever its heap block held: the caller's text
    // is put back whenever nothing was chosen.
    char remembered[MAX_PATH];
    lstrcpynA(remembered, path, MAX_PATH);
    int chosen = 0;
    LPITEMIDLIST choice = ::SHBrowseForFolderA(&info);
    if (choice) {
        chosen = ::SHGetPathFromIDListA(choice, path) ? 1 : 0;
        FreeItemList(choice);
    }
    if (!chosen)
        lstrcpynA(path, remembered, MAX_PATH);
    FreeItemList(rootList);
    return chosen;
}

void FitRememberedFolder(const std::string& remembered, char (&path)[MAX_PATH])
{
    std::string folder = remembered;
    while (folder.size() >= MAX_PATH) {
        std::string::size_type separator = folder.rfind('\\', MAX_PATH - 1);
        folder.resize(separator == std::string::npos ? 0 : separator);
    }
    lstrcpynA(path, folder.c_str(), MAX_PATH);
}
