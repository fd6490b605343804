// The Text browser's list: the text scan, which lists the cache files whose
// extension is in the type list, whose day passes the date test and whose
// content holds the search text.
#pragma once
#include "scan/file_list_ctrl.h"

class CTextListCtrl : public CFileListCtrl {
public:
    // The search text the scan runs with, for the content pane.
    const CString& SearchText() const { return m_filters.searchText; }

protected:
    // An empty type list scans the usual text types.
    void PrepareScan() override;
    void ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry) override;
};
