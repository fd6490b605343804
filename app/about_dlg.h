// The About dialog, with a link to the product's web page.
#pragma once
#include "framework/afxwin.h"
#include "widgets/link_label.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    CButton m_okButton;
    CLinkLabel m_productLink;
};
