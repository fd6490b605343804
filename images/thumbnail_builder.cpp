#include "images/thumbnail_builder.h"

#include "images/codec/image_object.h"
#include "images/image_list_view.h"
#include "images/thumbnail_fit.h"
#include "images/thumbnail_tile.h"

#include <memory>
#include <new>
#include <utility>

namespace {

// No picture of a cache is worth holding the scan longer than this; real
// ones decode in well under a second.
constexpr DWORD decodeBudgetMs = 10000;

// A thumbnail's picture may take at most this much memory, pixels or a
// JPEG's working memory: 16,000 pixels square in grey, 9,400 in colour, a
// progressive JPEG of some 85 million pixels. Larger ones are skipped, and a
// scan never needs more than this on top of its tiles, whatever it meets.
constexpr uint64_t thumbnailMemoryBudget = 256u << 20;

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
    picture.Settings().memoryBudget = thumbnailMemoryBudget;
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
        picture.Rescale(fit.width, fit.height, ResampleMode::kSmooth, nullptr);
    if (watch.ShouldStop())  // the rescale kept only the rows it reached
        return;
    std::unique_ptr<uint8_t[]> tile(new (std::nothrow) uint8_t[TileBytes(edge)]);
    std::unique_ptr<ImageItem> item(new (std::nothrow) ImageItem);
    if (!tile || !item)
        return;
    ComposeTile(picture, fit, edge, tile.get());
    lstrcpynA(item->path, path, sizeof item->path);
    item->width = width;
    item->height = height;
    view.AppendThumbnailRow(tile.get(), std::move(item));
}
