#include "media/media_list_ctrl.h"

#include "media/media_category.h"

BEGIN_MESSAGE_MAP(CMediaListCtrl, CFileListCtrl)
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

// Empty files and the date come first: the category may cost a registry read.
void CMediaListCtrl::ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry)
{
    if (entry.nFileSizeHigh == 0 && entry.nFileSizeLow == 0)
        return;
    char path[MAX_PATH];
    if (!PassesDateTest(entry) || !BuildPath(path, folder, entry.cFileName))
        return;
    if (IsMediaOfKind(m_filters.mediaKind, path))
        AddFileRow(path);
}
