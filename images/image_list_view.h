// The Image browser's thumbnail list: the image scan's list control, with the
// image category test, the image list of tiles and the rows of Image items.
#pragma once
#include "scan/cache_item.h"
#include "scan/cache_list_ctrl.h"

class CImageListView : public CCacheListCtrl {
public:
    CImageListView() = default;
    ~CImageListView() override;

    // Read by the thumbnail builder on the worker thread; written before the
    // worker starts.
    uint32_t ThumbnailEdge() const { return m_filters.thumbnailEdge; }
    bool PassesSizeTest(uint32_t width, uint32_t height) const;
    HIMAGELIST Tiles() const { return m_imageList.GetSafeHandle(); }

    // From the worker: appends the tile to the image list and the row that
    // shows it, together on the user-interface thread, so that tiles and rows
    // stay in the same order. The list copies the tile; the record is the
    // list's from now on.
    void AppendThumbnailRow(HBITMAP tile, ImageItem* item);

protected:
    void PreSubclassWindow() override;
    void PrepareScan() override;
    void ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry) override;
    void FreeCacheItem(LPARAM record) override;

    void OnGetDispInfo(NMHDR* header, LRESULT* result);
    void OnSize(UINT type, int cx, int cy);
    void OnLButtonDblClk(UINT flags, POINT point);
    LRESULT OnAppendThumbnail(WPARAM tile, LPARAM item);

private:
    CImageList m_imageList;

    DECLARE_MESSAGE_MAP()
};
