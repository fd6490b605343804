// The Media browser's list: the media scan, which lists the cache files and
// the browser cache entries of one media kind by name with their shell icons;
// a double-click opens a row in its default player.
#pragma once
#include "scan/file_list_ctrl.h"

class CMediaListCtrl : public CFileListCtrl {
protected:
    void ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry) override;
    bool MayListEntry(const EntryRow& headerRow) const override;
    void ExamineEntry(const std::shared_ptr<const ChosenCache>& cache, CacheReader& reader,
                      const CacheEntry& entry, EntryRow& row) override;

    DECLARE_MESSAGE_MAP()
};
