// The Image options dialog (resource 130): size, file types, date and the
// thumbnail edge of an image scan.
#pragma once
#include "browser/options_dlg.h"

class CImageOptionsDlg : public COptionsDlg {
public:
    CImageOptionsDlg();

    // The type list is the types when "These types:" is chosen, else empty.
    FilterOptions Filters() const override;

    int m_sizeMode = 0;  // 0 Any size, 1 Not smaller than, 2 Smaller than, 3 Exactly
    UINT m_width = 320;
    UINT m_height = 200;
    int m_typeMode = 0;  // 0 Any type, 1 These types
    CString m_types = "GIF;JPG;JPEG";
    UINT m_thumbnailEdge = 120;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
