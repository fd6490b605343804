#include "images/thumbnail_builder.h"

#include "images/codec/image_object.h"
#include "images/image_list_view.h"
#include "images/thumbnail_fit.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

// The picture's top-left fit.width by fit.height pixels drawn 1:1 at the
// fit's place on a white edge by edge tile compatible with the display.
HBITMAP ComposeTile(HBITMAP picture, const ThumbnailFit& fit, uint32_t edge)
{
    HDC display = ::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HDC source = ::CreateCompatibleDC(display);
    HDC target = ::CreateCompatibleDC(display);
    HBITMAP tile = ::CreateCompatibleBitmap(display, static_cast<int>(edge),
                                            static_cast<int>(edge));
    if (tile) {
        HGDIOBJ oldSource = ::SelectObject(source, picture);
        HGDIOBJ oldTarget = ::SelectObject(target, tile);
        RECT whole = {0, 0, static_cast<LONG>(edge), static_cast<LONG>(edge)};
        ::FillRect(target, &whole, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::BitBlt(target, static_cast<int>(fit.x), static_cast<int>(fit.y),
                 static_cast<int>(fit.width), static_cast<int>(fit.height), source, 0, 0, SRCCOPY);
        ::SelectObject(source, oldSource);
        ::SelectObject(target, oldTarget);
    }
    ::DeleteDC(target);
    ::DeleteDC(source);
    ::DeleteDC(display);
    return tile;
}

// No picture of a cache is worth holding the scan longer than this; real
// ones decode in well under a second.
constexpr DWORD decodeBudgetMs = 10000;

// What the image object's escape callback answers from: a Close ends a
// decode in progress at its next row or frame, and a picture that outruns
// the budget is given up.
struct DecodeWatch {
    const CImageListView* view;
    DWORD started;

    bool ShouldStop() const
    {
        return view->StopRequested() || ::GetTickCount() - started > decodeBudgetMs;
    }
};

int32_t EscapeDecode(CImageObject*, intptr_t watch)
{
    return reinterpret_cast<const DecodeWatch*>(watch)->ShouldStop() ? 1 : 0;
}

}  // namespace

void AddThumbnail(CImageListView& view, const char* path)
{
    if (!view.PassPausePoint())
        return;
    uint32_t type = TypeFromExtension(path);
    if (type == 0)
        return;
    uint32_t edge = view.ThumbnailEdge();
    DecodeWatch watch = {&view, ::GetTickCount()};
    CImageObject picture;
    picture.SetEscape(EscapeDecode, reinterpret_cast<intptr_t>(&watch));
    // A large JPEG is decoded already shrunk towards the tile, several times
    // faster than at full size; the filter and the row still see its size.
    picture.Settings().jpegFitEdge = edge;
    picture.Load(path, type);
    if (!picture.HasPixels() || watch.ShouldStop())
        return;
    uint32_t width = static_cast<uint32_t>(picture.SourceWidth());
    uint32_t height = static_cast<uint32_t>(picture.SourceHeight());
    if (!view.PassesSizeTest(width, height))
        return;

    ThumbnailFit fit = FitThumbnail(width, height, edge);
    // A refused rescale leaves the picture at its size; the tile then shows
    // its top-left part.
    if (fit.scale)
        picture.Rescale(fit.width, fit.height, 3, nullptr);
    if (watch.ShouldStop())  // the rescale kept only the rows it reached
        return;
    HBITMAP bitmap = picture.ToBitmap(nullptr);
    if (!bitmap)
        return;
    HBITMAP tile = ComposeTile(bitmap, fit, edge);
    ::DeleteObject(bitmap);
    if (!tile)
        return;

    ImageItem* item = new (std::nothrow) ImageItem;
    if (item) {
        lstrcpynA(item->path, path, sizeof item->path);
        item->width = width;
        item->height = height;
        item->thumbnailIndex = -1;
        view.AppendThumbnailRow(tile, item);
    }
    ::DeleteObject(tile);
}
