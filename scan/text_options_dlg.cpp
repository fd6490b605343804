#include "text_options_dlg.h"
#include "res/resource.h"

CTextOptionsDlg::CTextOptionsDlg() : COptionsDlg(IDD_TEXT_OPTIONS) {}

void CTextOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_TEXT_TYPES, m_types);
    DDX_Text(pDX, IDC_SEARCH_TEXT, m_searchText);
    ExchangeDate(pDX);
    ExchangeDateMode(pDX);
}

// The base OnOK exchanges again and so re-reads both texts as typed: they are
// tidied once more after it.
void CTextOptionsDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_searchText.Trim().IsEmpty()) {
        AfxMessageBox("Search Text can not be blank.", MB_ICONINFORMATION);
        return;
    }
    COptionsDlg::OnOK();
    ComputeDayNumber();
    m_types.Trim().MakeLower();
    m_searchText.Trim();
}
