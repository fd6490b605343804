#include "browser/date_options_dlg.h"
#include "res/resource.h"

CDateOptionsDlg::CDateOptionsDlg() : COptionsDlg(IDD_DATE_OPTIONS) {}

void CDateOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    ExchangeDateMode(pDX);
    ExchangeDate(pDX);
}
