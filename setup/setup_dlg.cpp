#include "setup/setup_dlg.h"

#include <shlobj.h>

#include "platform/normalize_path.h"
#include "platform/dialog_centre.h"
#include "setup/install_files.h"
#include "setup/install_record.h"
#include "setup/reg_tree.h"
#include "setup/setup_resource.h"
#include "widgets/folder_chooser.h"

const char kSetupCaption[] = "Zema Setup";

namespace {

const char kCannotCreateFolder[] = "Can not create folder.";
const char kCopyFailed[] = "Copy file faild.";
const char kCompleted[] = "Setup completed.\r\n\r\nAn link to the program has bee created in the "
                          "[Programs].[KeldraWorks] group.\r\n\r\nThank you for using our product.";
const char kRemoveQuestion[] = "This will remove ZEMA from your computer.\r\n\r\nContinue?";
const char kRemoved[] = "ZEMA has been removed.";

int Tell(HWND dialog, const char* text, UINT type = MB_ICONINFORMATION)
{
    return ::MessageBoxA(dialog, text, kSetupCaption, type);
}

void SetIcons(HWND dialog)
{
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HANDLE large = ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON,
                                ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0);
    HANDLE small =
        ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
    ::SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    ::SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void Enable(HWND dialog, int id, bool enabled)
{
    ::EnableWindow(::GetDlgItem(dialog, id), enabled);
}

void ShowInstalledState(HWND dialog, const char* folder)
{
    ::SetDlgItemTextA(dialog, IDC_FOLDER, folder);
    ::CheckRadioButton(dialog, IDC_NEW_INSTALL, IDC_REMOVE, IDC_REINSTALL);
    Enable(dialog, IDC_NEW_INSTALL, false);
    Enable(dialog, IDC_FOLDER, false);
    Enable(dialog, IDC_BROWSE, false);
}

void ShowNotInstalledState(HWND dialog)
{
    char folder[MAX_PATH];
    DefaultInstallFolder(folder);
    ::SetDlgItemTextA(dialog, IDC_FOLDER, folder);
    ::CheckRadioButton(dialog, IDC_NEW_INSTALL, IDC_REMOVE, IDC_NEW_INSTALL);
    Enable(dialog, IDC_REINSTALL, false);
    Enable(dialog, IDC_REMOVE, false);
}

void InitDialog(HWND dialog)
{
    CentreDialog(dialog);
    SetIcons(dialog);
    ::SetWindowTextA(dialog, kSetupCaption);
    char folder[MAX_PATH];
    if (IsProgramInstalled(folder))
        ShowInstalledState(dialog, folder);
    else
        ShowNotInstalledState(dialog);
    ::SetFocus(::GetDlgItem(dialog, IDOK));
}

void Browse(HWND dialog)
{
    // Always from Program Files, whatever the edit holds.
    char folder[MAX_PATH];
    ReadProgramFilesFolder(folder);
    if (ChooseFolder(dialog, folder, nullptr, 0))
        ::SetDlgItemTextA(dialog, IDC_FOLDER, folder);
}

// Failures that the user can correct keep the dialog open.
void Install(HWND dialog)
{
    char folder[MAX_PATH] = {};
    ::GetDlgItemTextA(dialog, IDC_FOLDER, folder, MAX_PATH);
    NormalizePath(folder);
    if (!CreateFolderPath(folder)) {
        Tell(dialog, kCannotCreateFolder);
        return;
    }
    char program[MAX_PATH];
    if (!InstalledProgramPath(folder, program) ||
        !WritePayload(::GetModuleHandleA(nullptr), program)) {
        Tell(dialog, kCopyFailed);
        return;
    }
    CreateProgramShortcut(program);
    WriteInstalledFolder(folder);
    Tell(dialog, kCompleted);
    ::EndDialog(dialog, IDOK);
}

void Remove(HWND dialog)
{
    if (Tell(dialog, kRemoveQuestion, MB_ICONQUESTION | MB_YESNO) != IDYES) {
        ::EndDialog(dialog, IDOK);
        return;
    }
    char folder[MAX_PATH];
    ReadInstalledFolder(folder);
    RemoveProgramFiles(folder);
    RemoveProgramShortcuts();
    DeleteRegTree(HKEY_LOCAL_MACHINE, kProductKey);
    DeleteRegTree(HKEY_CURRENT_USER, kProductKey);
    Tell(dialog, kRemoved);
    ::EndDialog(dialog, IDOK);
}

void InstallOrRemove(HWND dialog)
{
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    if (::IsDlgButtonChecked(dialog, IDC_NEW_INSTALL) == BST_CHECKED ||
        ::IsDlgButtonChecked(dialog, IDC_REINSTALL) == BST_CHECKED)
        Install(dialog);
    else if (::IsDlgButtonChecked(dialog, IDC_REMOVE) == BST_CHECKED)
        Remove(dialog);
}

}  // namespace

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return FALSE;  // the focus is set already
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_BROWSE:
            Browse(dialog);
            return TRUE;
        case IDOK:
            InstallOrRemove(dialog);
            return TRUE;
        case IDCANCEL:
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
