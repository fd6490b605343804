#include "images/image_list_view.h"

#include "images/picture_window.h"
#include "images/thumbnail_builder.h"
#include "scan/filter_rules.h"
#include "scan/image_category.h"
#include "widgets/shell_open.h"

#include <cstring>

namespace {

constexpr UINT WM_APPEND_THUMBNAIL = WM_APP + 0x100;

// Tiles are added in steps of this many: the image list copies all of its
// images whenever it grows, so growing one tile at a time costs quadratic
// time in the number of tiles.
constexpr int tileGrowth = 1024;

}  // namespace

BEGIN_MESSAGE_MAP(CImageListView, CCacheListCtrl)
    ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
    ON_WM_SIZE()
    ON_WM_LBUTTONDBLCLK()
    ON_MESSAGE(WM_APPEND_THUMBNAIL, OnAppendThumbnail)
END_MESSAGE_MAP()

// The list view control destroys its normal image list with itself.
CImageListView::~CImageListView()
{
    if (m_hWnd)
        m_imageList.Detach();
}

void CImageListView::PreSubclassWindow()
{
    CCacheListCtrl::PreSubclassWindow();
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
}

void CImageListView::PrepareScan()
{
    int edge = static_cast<int>(m_filters.thumbnailEdge);
    m_imageList.Create(edge, edge, ILC_COLOR24, 0, tileGrowth);
    SetImageList(&m_imageList, LVSIL_NORMAL);
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
    if (BuildPath(path, folder, entry.cFileName))
        AddThumbnail(*this, path);
}

void CImageListView::FreeCacheItem(LPARAM record)
{
    delete reinterpret_cast<ImageItem*>(record);
}

void CImageListView::AppendThumbnailRow(HBITMAP tile, ImageItem* item)
{
    SendMessage(WM_APPEND_THUMBNAIL, reinterpret_cast<WPARAM>(tile),
                reinterpret_cast<LPARAM>(item));
}

// A tile the image list cannot take (out of memory) gets no row: the row
// would show another image's tile.
LRESULT CImageListView::OnAppendThumbnail(WPARAM tile, LPARAM record)
{
    ImageItem* item = reinterpret_cast<ImageItem*>(record);
    if (m_imageList.Add(reinterpret_cast<HBITMAP>(tile), nullptr) < 0) {
        FreeCacheItem(record);
        return 0;
    }
    item->thumbnailIndex = m_imageList.GetImageCount() - 1;
    InsertRowNow(record);
    return 0;
}

void CImageListView::OnGetDispInfo(NMHDR* header, LRESULT* result)
{
    *result = 0;
    auto* item = reinterpret_cast<const ImageItem*>(reinterpret_cast<NMLVDISPINFOA*>(header)->item.lParam);
    if (item)
        AnswerDisplayRequest(header, FileNamePart(item->path), item->thumbnailIndex);
}

void CImageListView::OnSize(UINT, int, int)
{
    Default();
    PostMessage(LVM_ARRANGE, LVA_DEFAULT);
}

// A file the picture window cannot decode goes to its default program.
void CImageListView::OnLButtonDblClk(UINT, POINT)
{
    Default();
    CString path = SelectedPath();
    if (!path.IsEmpty() && !ShowPictureWindow(::GetParent(m_hWnd), path))
        OpenWithShell(path);
}
