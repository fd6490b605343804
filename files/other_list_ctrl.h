// The Other-files browser's list: the scan that lists the cache files whose
// names match a wildcard, letting the platform's directory search do the
// matching, then the browser caches' entries whose row names match it.
#pragma once
#include "scan/file_list_ctrl.h"

class COtherListCtrl : public CFileListCtrl {
protected:
    // Two passes per folder: every subfolder is walked first, then a search
    // with the wildcard lists the folder's own matching files.
    void WalkFolder(const char* folder) override;
    // The subfolder pass examines no file.
    void ExamineFile(const char*, const WIN32_FIND_DATAA&) override {}
    bool MayListEntry(const EntryRow& headerRow) const override;
    void ExamineEntry(const std::shared_ptr<const ChosenCache>& cache, CacheReader& reader,
                      const CacheEntry& entry, EntryRow& row) override;

    DECLARE_MESSAGE_MAP()

private:
    void ListMatchingFiles(const char* folder);
    void ListFile(const char* folder, const WIN32_FIND_DATAA& entry);
};
