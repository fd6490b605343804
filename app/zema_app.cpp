#include "app/zema_app.h"

#include "app/launcher_dlg.h"
#include "caches/cache_files.h"
#include "platform/shared_file_open.h"
#include "preview/preview_protocol_registration.h"
#include "scan/entry_temp_files.h"

#include <urlmon.h>

CZemaApp theApp;

BEGIN_MESSAGE_MAP(CZemaApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CZemaApp::CZemaApp() : CWinApp("Zema") {}

// The session is held for the life of the process and the name space never
// unregistered: every zemap: URL the process resolves must reach the preview
// protocol until the program ends.
BOOL CZemaApp::InitInstance()
{
    AfxEnableControlContainer();

    IInternetSession* session = nullptr;
    if (FAILED(::CoInternetGetSession(0, &session, 0)))
        return FALSE;
    if (!session || FAILED(RegisterPreviewProtocol(session)))
        return FALSE;

    Enable3dControlsStatic();
    RemoveTempFoldersLeftBehind();
    SetCacheFileOpener(OpenSharedReadOnly);

    CLauncherDlg launcher;
    m_pMainWnd = &launcher;
    launcher.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
