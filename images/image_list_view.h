// The Image browser's thumbnail list: the image scan's list control, with the
// image category test, the image list of tiles and the rows of Image items.
#pragma once
#include "scan/cache_item.h"
#include "scan/cache_list_ctrl.h"
#include "images/tile_slots.h"
#include "images/tile_store.h"

#include <memory>
#include <string>
#include <vector>

class CImageListView : public CCacheListCtrl {
public:
    CImageListView() = default;

    // Where tiles live; lowered by tests to reach the temporary file and the
    // reuse of slots with few pictures. Takes effect at the next scan.
    void LimitTiles(size_t memoryBudget, int slotCount);

    // The picture window, or the default program for a picture it cannot show.
    void OpenRow(const CacheItem& row) override;
    // The row's tile, white square and all, as the list shows it.
    std::string ThumbnailPng(const CacheItem& row) const override;

protected:
    void PreSubclassWindow() override;
    void PrepareScan() override;
    void ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry) override;
    // An entry is a row when it passes the same filters as a file: the date
    // test on its response time, the picture test and type list on its made
    // name, the size test on its decoded picture.
    bool MayListEntry(const EntryRow& headerRow) const override;
    void ExamineEntry(const std::shared_ptr<const ChosenCache>& cache, CacheReader& reader,
                      const CacheEntry& entry, EntryRow& row) override;
    // Only rows being drawn or asked about load their tile into a slot.
    int RowImage(const CacheItem& row) override;

    void OnLButtonDblClk(UINT flags, POINT point);

private:
    // On the worker: the file's thumbnail, when it decodes and passes the
    // size test, becomes a row; a file that cannot be shown is skipped
    // without a trace.
    void AddThumbnail(const char* path);
    // The same for an entry's decoded body in memory.
    void AddEntryThumbnail(const std::shared_ptr<const ChosenCache>& cache,
                           const CacheEntry& entry, const std::string& name,
                           const std::vector<uint8_t>& body, uint32_t pictureType);
    bool PassesSizeTest(uint32_t width, uint32_t height) const;
    // Keeps the tile (TileBytes of the edge) and appends the row that shows
    // it, on the user-interface thread, in scan order. The record is the
    // list's from now on; a tile that cannot be kept gets no row, which would
    // show no picture.
    void AppendThumbnailRow(const uint8_t* tile, std::unique_ptr<ImageItem> item);

    CTileStore m_tiles;
    CTileSlots m_slots;
    size_t m_tileMemoryBudget = CTileStore::defaultMemoryBudget;
    int m_slotCount = 0;  // 0: as many as the edge calls for

    DECLARE_MESSAGE_MAP()
};
