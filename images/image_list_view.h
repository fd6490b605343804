// The Image browser's thumbnail list: the image scan's list control, with the
// image category test, the image list of tiles and the rows of Image items.
#pragma once
#include "scan/cache_item.h"
#include "scan/cache_list_ctrl.h"

class CImageListView : public CCacheListCtrl {
public:
    CImageListView() = default;
    ~CImageListView() override;

    void StartScan(uint32_t thumbnailEdge, int32_t dateMode, int32_t dayNumber, int32_t sizeMode,
                   uint32_t width, uint32_t height, const char* typeList);

    // From the worker: appends the tile to the image list and the row that
    // shows it, together on the user-interface thread, so that tiles and rows
    // stay in the same order. The list copies the tile; the record is the
    // list's from now on.
    void AppendThumbnailRow(HBITMAP tile, ImageItem* item);

    // The path of the first selected row, or null when none is selected.
    const char* FirstSelectedPath() const;

    // Read by the thumbnail builder on the worker thread; written before the
    // worker starts.
    int32_t m_sizeMode = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    CString m_typeList;
    CImageList m_imageList;
    uint32_t m_thumbnailEdge = 120;

protected:
    void PreSubclassWindow() override;
    void ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry) override;
    void FreeCacheItem(LPARAM record) override;

    void OnGetDispInfo(NMHDR* header, LRESULT* result);
    void OnSize(UINT type, int cx, int cy);
    void OnLButtonDblClk(UINT flags, POINT point);
    LRESULT OnAppendThumbnail(WPARAM tile, LPARAM item);

    DECLARE_MESSAGE_MAP()
};
