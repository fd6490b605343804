// The Launcher window: the main dialog, from which one category browser at a
// time is opened.
#pragma once
#include "framework/afxwin.h"

class CLauncherDlg : public CDialog {
public:
    CLauncherDlg();

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape never close the launcher; only Close and the close box do.
    void OnOK() override {}
    void OnCancel() override {}

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnClose();
    void OnImages();
    void OnFlashes();
    void OnMovies();
    void OnAudios();
    void OnTextFiles();
    void OnOtherFiles();
    void OnCaches();
    void OnAbout();

    DECLARE_MESSAGE_MAP()
};
