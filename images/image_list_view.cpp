#include "images/image_list_view.h"

#include "caches/cache_reader.h"
#include "images/codec/image_object.h"
#include "images/picture_window.h"
#include "scan/entry_item.h"
#include "scan/entry_rows.h"
#include "images/thumbnail.h"
#include "images/thumbnail_tile.h"
#include "scan/filter_rules.h"
#include "images/image_category.h"
#include "reports/png_encoder.h"

#include <cstring>
#include <new>
#include <utility>

BEGIN_MESSAGE_MAP(CImageListView, CCacheListCtrl)
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

// The image list is the slots' own: the list view must not destroy it.
void CImageListView::PreSubclassWindow()
{
    CCacheListCtrl::PreSubclassWindow();
    ModifyStyle(0, LVS_SHAREIMAGELISTS);
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
}

void CImageListView::LimitTiles(size_t memoryBudget, int slotCount)
{
    m_tileMemoryBudget = memoryBudget;
    m_slotCount = slotCount;
}

void CImageListView::PrepareScan()
{
    uint32_t edge = m_filters.thumbnailEdge;
    size_t tileBytes = TileBytes(edge);
    m_tiles.Reset(tileBytes, m_tileMemoryBudget);
    SetImageList(nullptr, LVSIL_NORMAL);
    m_slots.Create(edge, m_slotCount ? m_slotCount : CTileSlots::DefaultSlotCount(tileBytes));
    SetImageList(m_slots.List(), LVSIL_NORMAL);
    m_filters.typeList.Trim().MakeLower();
}

bool CImageListView::PassesSizeTest(uint32_t width, uint32_t height) const
{
    return ::PassesSizeTest(m_filters.sizeMode, width, height, m_filters.width, m_filters.height);
}

void CImageListView::ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry)
{
    if (!IsImageCandidate(entry.cFileName, m_filters.typeList) || !PassesDateTest(entry))
        return;
    char path[MAX_PATH];
    if (BuildPath(path, folder, entry.cFileName) && PassPausePoint())
        AddThumbnail(path);
}

// Without its body an entry whose headers already name a kind other than a
// picture is passed over: only a picture's, or an unknown kind's, body is
// read to decide.
bool CImageListView::MayListEntry(const EntryRow& headerRow) const
{
    return headerRow.category.source == CategorySource::None ||
           headerRow.category.kind == WebKind::Picture;
}

void CImageListView::ExamineEntry(const std::shared_ptr<const ChosenCache>& cache,
                                  CacheReader& reader, const CacheEntry& entry, EntryRow& row)
{
    std::vector<uint8_t> body;
    const CacheStopCheck stop = [this] { return StopRequested(); };
    BodyDecodeStatus status = ReadBodyInMemory(
        [&](const DecodedBodySink& sink) {
            return ReadEntryBody(reader, entry, kPictureBodyBound, stop, sink);
        },
        body);
    if (status != BodyDecodeStatus::Ok)
        return;
    RefineRow(row, entry, body);
    if (IsImageRow(row, m_filters.typeList))
        AddEntryThumbnail(cache, entry, row.name, body, row.category.imageType);
}

void CImageListView::AddEntryThumbnail(const std::shared_ptr<const ChosenCache>& cache,
                                       const CacheEntry& entry, const std::string& name,
                                       const std::vector<uint8_t>& body, uint32_t pictureType)
{
    Thumbnail thumbnail = MakeThumbnail(
        PictureBytes::Memory(body.data(), body.size(), pictureType), m_filters.thumbnailEdge,
        kThumbnailMemoryBudget, [this] { return StopRequested(); },
        [this](uint32_t width, uint32_t height) { return PassesSizeTest(width, height); });
    if (thumbnail.status != ThumbnailStatus::kDone)
        return;
    std::unique_ptr<EntryImageItem> item(new (std::nothrow) EntryImageItem);
    if (!item)
        return;
    try {
        item->entry = CachedEntry::Make(cache, entry, body.size());
    } catch (const std::bad_alloc&) {
        return;
    }
    lstrcpynA(item->path, name.c_str(), sizeof item->path);
    item->pictureType = pictureType;
    item->width = thumbnail.sourceWidth;
    item->height = thumbnail.sourceHeight;
    AppendThumbnailRow(thumbnail.tile.get(), std::move(item));
}

void CImageListView::AddThumbnail(const char* path)
{
    // The filters are written before the worker starts.
    Thumbnail thumbnail = MakeThumbnail(
        PictureBytes::File(path), m_filters.thumbnailEdge, kThumbnailMemoryBudget,
        [this] { return StopRequested(); },
        [this](uint32_t width, uint32_t height) { return PassesSizeTest(width, height); });
    if (thumbnail.status != ThumbnailStatus::kDone)
        return;
    std::unique_ptr<ImageItem> item(new (std::nothrow) ImageItem);
    if (!item)
        return;
    lstrcpynA(item->path, path, sizeof item->path);
    item->width = thumbnail.sourceWidth;
    item->height = thumbnail.sourceHeight;
    AppendThumbnailRow(thumbnail.tile.get(), std::move(item));
}

// The store takes the tile here, on the worker, so the user-interface
// thread only adds the row.
void CImageListView::AppendThumbnailRow(const uint8_t* tile, std::unique_ptr<ImageItem> item)
{
    item->thumbnailIndex = m_tiles.Append(tile);
    if (item->thumbnailIndex >= 0)
        AppendRow(std::move(item));
}

int CImageListView::RowImage(const CacheItem& row)
{
    return m_slots.SlotFor(static_cast<const ImageItem&>(row).thumbnailIndex, m_tiles);
}

// A picture the window cannot decode goes to its default program.
void CImageListView::OnLButtonDblClk(UINT, POINT)
{
    Default();
    if (const CacheItem* row = SelectedRow())
        OpenRow(*row);
}

void CImageListView::OpenRow(const CacheItem& row)
{
    CImageObject picture;
    static_cast<const ImageItem&>(row).LoadPicture(picture);
    if (!ShowPictureWindow(::GetParent(m_hWnd), FileNamePart(row.path), picture))
        OpenInDefaultProgram(row);
}

std::string CImageListView::ThumbnailPng(const CacheItem& row) const
{
    const uint32_t edge = m_filters.thumbnailEdge;
    std::vector<uint8_t> tile(TileBytes(edge));
    if (tile.empty() ||
        !m_tiles.Read(static_cast<const ImageItem&>(row).thumbnailIndex, tile.data()))
        return std::string();
    return EncodePng(tile.data(), edge, edge, tile.size() / edge, true);
}
