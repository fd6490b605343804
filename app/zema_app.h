// The viewer's application object.
#pragma once
#include "framework/afxwin.h"

class CZemaApp : public CWinApp {
public:
    CZemaApp();
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
