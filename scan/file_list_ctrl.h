// The list control of the browsers whose rows are cache files by name with
// their shell icons (Text, Other files, Media): one column in report view,
// the system image lists, rows of File items.
#pragma once
#include "scan/cache_item.h"
#include "scan/cache_list_ctrl.h"

#include <cstdint>
#include <memory>
#include <string>

class CFileListCtrl : public CCacheListCtrl {
protected:
    void PreSubclassWindow() override;
    int RowImage(const CacheItem& row) override;

    // On the worker thread: waits at the pause point, then appends the
    // file's row unless the scan is stopping.
    void AddFileRow(const char* path);
    // The same for a browser cache's entry, under its row's name; the icon
    // is that of the name's type.
    void AddEntryRow(const std::shared_ptr<const ChosenCache>& cache, const CacheEntry& entry,
                     const std::string& name, uint64_t decodedSize);

    // Posts the selection command to the browser when a row becomes selected
    // or unselected, so that nothing heavy runs inside the notification. A
    // range of rows (shift and click) changes in one notification of its own.
    void OnItemChanged(NMHDR* header, LRESULT* result);
    void OnRangeChanged(NMHDR* header, LRESULT* result);
    void NoteStateChange(UINT oldState, UINT newState);
    // Mapped by the lists whose double-click opens the file: after the
    // default processing (which selects the row under the mouse), the
    // selected file goes to its default program.
    void OnLButtonDblClk(UINT flags, POINT point);

    DECLARE_MESSAGE_MAP()

private:
    void AppendFileRow(std::unique_ptr<FileItem> item);
};
