// The Other options dialog (resource 140): a wildcard file-name filter and
// the date.
#pragma once
#include "browser/options_dlg.h"

class COtherOptionsDlg : public COptionsDlg {
public:
    COtherOptionsDlg();

    // After OK: trimmed, never empty.
    CString m_wildcard = "some*.pdf";

    FilterOptions Filters() const override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool Validate() override;
};
