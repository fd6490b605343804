#include "app/about_dlg.h"

#include "res/resource.h"

namespace {
const char productPage[] = "https://www.keldraworks.com/zema/";
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT)
{
    m_productLink.m_linkTarget = productPage;
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDOK, m_okButton);
    DDX_Control(pDX, IDC_PRODUCT_LINK, m_productLink);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_okButton.SetFocus();
    return FALSE;
}
