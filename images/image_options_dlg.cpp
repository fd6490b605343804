#include "images/image_options_dlg.h"
#include "res/resource.h"

CImageOptionsDlg::CImageOptionsDlg() : COptionsDlg(IDD_IMAGE_OPTIONS) {}

void CImageOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Radio(pDX, IDC_ANY_SIZE, m_sizeMode);
    DDX_Radio(pDX, IDC_ANY_TYPE, m_typeMode);
    DDX_Text(pDX, IDC_IMAGE_TYPES, m_types);
    DDX_Text(pDX, IDC_WIDTH, m_width);
    DDX_Text(pDX, IDC_HEIGHT, m_height);
    ExchangeDateMode(pDX);
    ExchangeDate(pDX);
    DDX_Text(pDX, IDC_THUMBNAIL_EDGE, m_thumbnailEdge);
    DDV_MinMaxUInt(pDX, m_thumbnailEdge, 32, 200);
}

BOOL CImageOptionsDlg::OnInitDialog()
{
    COptionsDlg::OnInitDialog();
    return TRUE;
}

FilterOptions CImageOptionsDlg::Filters() const
{
    FilterOptions filters = COptionsDlg::Filters();
    filters.sizeMode = m_sizeMode;
    filters.width = m_width;
    filters.height = m_height;
    filters.typeList = m_typeMode == 1 ? m_types : CString();
    filters.thumbnailEdge = m_thumbnailEdge;
    return filters;
}
