#include "files/other_options_dlg.h"
#include "res/resource.h"
#include "scan/filter_rules.h"

COtherOptionsDlg::COtherOptionsDlg() : COptionsDlg(IDD_OTHER_OPTIONS) {}

void COtherOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    ExchangeDate(pDX);
    ExchangeDateMode(pDX);
    DDX_Text(pDX, IDC_WILDCARD, m_wildcard);
}

bool COtherOptionsDlg::Validate()
{
    if (m_wildcard.Trim().IsEmpty()) {
        AfxMessageBox("Filter can not be blank.", MB_ICONINFORMATION);
        return false;
    }
    if (!IsNamePattern(m_wildcard)) {
        AfxMessageBox("Filter can not name a folder or drive.\r\n\r\n"
                      "Enter a pattern for file names only, such as some*.pdf.",
                      MB_ICONINFORMATION);
        return false;
    }
    return true;
}

FilterOptions COtherOptionsDlg::Filters() const
{
    FilterOptions filters = COptionsDlg::Filters();
    filters.wildcard = m_wildcard;
    return filters;
}
