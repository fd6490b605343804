#include "files/text_options_dlg.h"
#include "res/resource.h"

CTextOptionsDlg::CTextOptionsDlg() : COptionsDlg(IDD_TEXT_OPTIONS) {}

void CTextOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_TEXT_TYPES, m_types);
    DDX_Text(pDX, IDC_SEARCH_TEXT, m_searchText);
    ExchangeDate(pDX);
    ExchangeDateMode(pDX);
}

// A text scan always has a search text.
bool CTextOptionsDlg::Validate()
{
    if (m_searchText.Trim().IsEmpty()) {
        AfxMessageBox("Search Text can not be blank.", MB_ICONINFORMATION);
        return false;
    }
    m_types.Trim().MakeLower();
    return true;
}

FilterOptions CTextOptionsDlg::Filters() const
{
    FilterOptions filters = COptionsDlg::Filters();
    filters.typeList = m_types;
    filters.searchText = m_searchText;
    return filters;
}
