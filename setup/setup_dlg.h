// The installer's one dialog: install, reinstall or remove the viewer.
#pragma once
#include <windows.h>

// The dialog's caption, which also titles every message box of the installer.
extern const char kSetupCaption[];

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
