// The Date options dialog (resource 135): the date group alone, for the
// media browser.
#pragma once
#include "browser/options_dlg.h"

class CDateOptionsDlg : public COptionsDlg {
public:
    CDateOptionsDlg();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
