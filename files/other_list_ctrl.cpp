#include "files/other_list_ctrl.h"

#include "scan/filter_rules.h"

BEGIN_MESSAGE_MAP(COtherListCtrl, CFileListCtrl)
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

void COtherListCtrl::WalkFolder(const char* folder)
{
    CFileListCtrl::WalkFolder(folder);
    if (!StopRequested())
        ListMatchingFiles(folder);
}

// The search matches the name alone, "*" and "?" as the file system reads
// them and without regard to case; a folder that matches is passed over. A
// pattern with a path part would list another folder's files under this
// folder's name, so it lists nothing.
void COtherListCtrl::ListMatchingFiles(const char* folder)
{
    char pattern[MAX_PATH];
    if (!IsNamePattern(m_filters.wildcard) || !BuildPath(pattern, folder, m_filters.wildcard))
        return;
    SearchFolder(pattern, [&](const WIN32_FIND_DATAA& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ListFile(folder, entry);
    });
}

void COtherListCtrl::ListFile(const char* folder, const WIN32_FIND_DATAA& entry)
{
    if (entry.nFileSizeHigh == 0 && entry.nFileSizeLow == 0)
        return;
    char path[MAX_PATH];
    if (PassesDateTest(entry) && BuildPath(path, folder, entry.cFileName))
        AddFileRow(path);
}
