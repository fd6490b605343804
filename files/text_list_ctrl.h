// The Text browser's list: the text scan, which lists the cache files whose
// extension is in the type list, whose day passes the date test and whose
// content holds the search text, then the browser caches' entries by the
// same tests on their row names, response times and decoded bodies.
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
    bool MayListEntry(const EntryRow& headerRow) const override;
    void ExamineEntry(const std::shared_ptr<const ChosenCache>& cache, CacheReader& reader,
                      const CacheEntry& entry, EntryRow& row) override;

private:
    // Whether text (length bytes up to its NUL) holds the search text; a
    // Close is heard between blocks of a large text's search.
    bool HoldsSearchText(const char* text, uint64_t length) const;
};
