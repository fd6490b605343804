// CWinApp: the one application object of a program, and the global services
// reached through it.
#pragma once
#include "framework/afxcmd.h"

class CWnd;

constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    // The program's work. Both programs run their main dialog modally in
    // here and return FALSE, so there is no message loop of the
    // application's own.
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    // Obsolete since themed controls: dialogs draw in 3-D by themselves.
    BOOL Enable3dControlsStatic() { return TRUE; }

    void DoWaitCursor(int change);
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPCSTR m_pszAppName;

    DECLARE_MESSAGE_MAP()

private:
    int m_nWaitCursorCount = 0;
    HCURSOR m_hcurWaitCursorRestore = nullptr;
    char m_szHelpFile[MAX_PATH] = {};
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
LPCSTR AfxGetAppName();

// Lets dialogs host ActiveX controls: OLE on the user-interface thread.
void AfxEnableControlContainer();

// Shows or hides the wait cursor; nests. Without an application object (in
// tests) it does nothing.
void AfxDoWaitCursor(int change);

// The owner of a new modal window: the given parent, or else the window the
// user works in now, the main window's last active popup (a browser over
// the launcher, say), so that the new window is modal to it.
HWND AfxGetSafeOwner(CWnd* parent, CWnd* self = nullptr);

int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);

int AfxWinMain(HINSTANCE instance, LPSTR commandLine, int showCommand);
