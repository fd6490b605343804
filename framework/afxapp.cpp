#include "framework/afxapp.h"
#include "framework/afxwnd.h"

#include <ole2.h>
#include <cstring>

namespace {
CWinApp* theOneApp = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR appName) : m_pszAppName(appName)
{
    theOneApp = this;
}

CWinApp::~CWinApp()
{
    if (theOneApp == this)
        theOneApp = nullptr;
}

void CWinApp::DoWaitCursor(int change)
{
    m_nWaitCursorCount += change;
    if (m_nWaitCursorCount > 0) {
        HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        if (change > 0 && m_nWaitCursorCount == 1)
            m_hcurWaitCursorRestore = previous;
    } else {
        m_nWaitCursorCount = 0;
        ::SetCursor(m_hcurWaitCursorRestore);
    }
}

// The help file sits beside the program, under its name with ".hlp".
void CWinApp::OnHelp()
{
    if (!m_szHelpFile[0]) {
        ::GetModuleFileNameA(m_hInstance, m_szHelpFile, MAX_PATH);
        char* dot = std::strrchr(m_szHelpFile, '.');
        if (dot && dot - m_szHelpFile + 5 < MAX_PATH)
            std::strcpy(dot, ".hlp");
    }
    ::WinHelpA(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, m_szHelpFile, HELP_FINDER, 0);
}

CWinApp* AfxGetApp()
{
    return theOneApp;
}

CWnd* AfxGetMainWnd()
{
    return theOneApp ? theOneApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return theOneApp && theOneApp->m_hInstance ? theOneApp->m_hInstance
                                               : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

LPCSTR AfxGetAppName()
{
    return theOneApp && theOneApp->m_pszAppName ? theOneApp->m_pszAppName : "";
}

void AfxEnableControlContainer()
{
    ::OleInitialize(nullptr);
}

void AfxDoWaitCursor(int change)
{
    if (theOneApp)
        theOneApp->DoWaitCursor(change);
}

HWND AfxGetSafeOwner(CWnd* parent, CWnd* self)
{
    if (parent)
        return parent->m_hWnd;
    CWnd* main = AfxGetMainWnd();
    if (!main || main == self || !main->m_hWnd)
        return self ? nullptr : ::GetActiveWindow();
    return ::GetLastActivePopup(main->m_hWnd);
}

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    return ::MessageBoxA(AfxGetSafeOwner(nullptr), text, AfxGetAppName(), type);
}

int AfxWinMain(HINSTANCE instance, LPSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = instance;
    app->InitInstance();
    return app->ExitInstance();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    return AfxWinMain(instance, commandLine, showCommand);
}
