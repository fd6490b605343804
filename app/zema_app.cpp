#include "app/zema_app.h"

#include "app/console_message.h"
#include "app/export_list.h"
#include "app/given_caches.h"
#include "app/launcher_dlg.h"
#include "app/program_arguments.h"
#include "caches/cache_files.h"
#include "platform/shared_file_open.h"
#include "preview/preview_protocol_registration.h"
#include "scan/entry_temp_files.h"

#include <urlmon.h>

#include <cstdlib>
#include <string>
#include <vector>

CZemaApp theApp;

BEGIN_MESSAGE_MAP(CZemaApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CZemaApp::CZemaApp() : CWinApp("Zema") {}

namespace {

std::vector<std::string> ProgramArguments()
{
    std::vector<std::string> arguments;
    for (int at = 1; at < __argc; ++at)
        arguments.emplace_back(__argv[at]);
    return arguments;
}

}  // namespace

// The command line decides first: usage, an export without a window, or the
// launcher, on the found caches or on the folders it names.
BOOL CZemaApp::InitInstance()
{
    ProgramRequest request;
    std::string problem;
    if (!ParseProgramArguments(ProgramArguments(), request, problem)) {
        TellUser("Zema: " + problem + "\r\n\r\n" + programUsage, true);
        m_exitStatus = 1;
        return FALSE;
    }
    if (request.mode == ProgramMode::Usage) {
        TellUser(programUsage, false);
        return FALSE;
    }
    RemoveTempFoldersLeftBehind();
    SetCacheFileOpener(OpenSharedReadOnly);
    if (!ScanOnlyGivenFolders(request.cacheFolders)) {
        m_exitStatus = 2;
        return FALSE;
    }
    if (request.mode == ProgramMode::Export)
        m_exitStatus = ExportList(request);
    else
        RunLauncher();
    return FALSE;
}

// The session is held for the life of the process and the name space never
// unregistered: every zemap: URL the process resolves must reach the preview
// protocol until the program ends.
void CZemaApp::RunLauncher()
{
    AfxEnableControlContainer();

    IInternetSession* session = nullptr;
    if (FAILED(::CoInternetGetSession(0, &session, 0)))
        return;
    if (!session || FAILED(RegisterPreviewProtocol(session)))
        return;

    Enable3dControlsStatic();

    CLauncherDlg launcher;
    m_pMainWnd = &launcher;
    launcher.DoModal();
    m_pMainWnd = nullptr;
}
