// The Text options dialog (resource 137): file types, the search text a file
// must contain, and the date.
#pragma once
#include "browser/options_dlg.h"

class CTextOptionsDlg : public COptionsDlg {
public:
    CTextOptionsDlg();

    // After OK: trimmed and lower-cased; the search text trimmed, never empty.
    CString m_types = "txt;htm;html;js;vbs";
    CString m_searchText;

    FilterOptions Filters() const override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool Validate() override;
};
