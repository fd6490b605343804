#include "browser/options_dlg.h"
#include "res/resource.h"

int32_t DayNumberOf(const COleDateTime& date)
{
    return date.GetYear() * 10000 + date.GetMonth() * 100 + date.GetDay();
}

COptionsDlg::COptionsDlg(UINT templateId)
    : CDialog(templateId), m_date(COleDateTime::GetCurrentTime())
{}

void COptionsDlg::ExchangeDateMode(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_ANY_DATE, m_dateMode);
}

void COptionsDlg::ExchangeDate(CDataExchange* pDX)
{
    DDX_DateTimeCtrl(pDX, IDC_DATE_PICKER, m_date);
}

void COptionsDlg::OnOK()
{
    if (!UpdateData(TRUE) || !Validate())
        return;
    m_dayNumber = DayNumberOf(m_date);
    EndDialog(IDOK);
}

FilterOptions COptionsDlg::Filters() const
{
    FilterOptions filters;
    filters.dateMode = m_dateMode;
    filters.dayNumber = m_dayNumber;
    return filters;
}
