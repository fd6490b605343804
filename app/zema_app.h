// The viewer's application object.
#pragma once
#include "framework/afxwin.h"

class CZemaApp : public CWinApp {
public:
    CZemaApp();
    BOOL InitInstance() override;
    // The process's exit status: non-zero after a refused command line or a
    // failed export.
    int ExitInstance() override { return m_exitStatus; }

    DECLARE_MESSAGE_MAP()

private:
    void RunLauncher();

    int m_exitStatus = 0;
};
