#include "other_options_dlg.h"
#include "res/resource.h"

COtherOptionsDlg::COtherOptionsDlg() : COptionsDlg(IDD_OTHER_OPTIONS) {}

void COtherOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    ExchangeDate(pDX);
    ExchangeDateMode(pDX);
    DDX_Text(pDX, IDC_WILDCARD, m_wildcard);
}

// The base OnOK exchanges again and so re-reads the wildcard as typed: it is
// trimmed once more after it.
void COtherOptionsDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_wildcard.Trim().IsEmpty()) {
        AfxMessageBox("Filter can not be blank.", MB_ICONINFORMATION);
        return;
    }
    COptionsDlg::OnOK();
    m_wildcard.Trim();
    ComputeDayNumber();
}
