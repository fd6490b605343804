#include "images/thumbnail.h"

#include "images/codec/image_object.h"
#include "images/thumbnail_tile.h"

#include <chrono>
#include <new>

namespace {

using Clock = std::chrono::steady_clock;

// No picture of a cache is worth holding the scan longer than this; real
// ones decode in well under a second.
constexpr Clock::duration decodeTimeBound = std::chrono::seconds(10);

// What the image object's escape callback answers from: a stop ends a
// decode in progress at its next row or frame, and so does a picture that
// outruns the time bound. The first reason heard is kept.
class DecodeWatch {
public:
    explicit DecodeWatch(const StopToken& stop)
        : m_stop(stop), m_deadline(Clock::now() + decodeTimeBound)
    {}

    bool ShouldStop()
    {
        if (m_verdict == ThumbnailStatus::kDone) {
            if (m_stop && m_stop())
                m_verdict = ThumbnailStatus::kCancelled;
            else if (Clock::now() > m_deadline)
                m_verdict = ThumbnailStatus::kTooSlow;
        }
        return m_verdict != ThumbnailStatus::kDone;
    }

    ThumbnailStatus Verdict() const { return m_verdict; }

private:
    const StopToken& m_stop;
    Clock::time_point m_deadline;
    ThumbnailStatus m_verdict = ThumbnailStatus::kDone;
};

int32_t EscapeDecode(CImageObject*, intptr_t watch)
{
    return reinterpret_cast<DecodeWatch*>(watch)->ShouldStop() ? 1 : 0;
}

ThumbnailStatus FailureOf(const CImageObject& picture)
{
    switch (picture.Status()) {
    case DecodeStatus::kTooLarge:
        return ThumbnailStatus::kTooLarge;
    case DecodeStatus::kUnsupported:
        return ThumbnailStatus::kNotAPicture;
    default:
        return ThumbnailStatus::kCorrupt;
    }
}

void Decode(const PictureBytes& bytes, CImageObject& picture)
{
    if (bytes.Path()) {
        picture.Load(bytes.Path(), bytes.Type());
        return;
    }
    CMemoryStream stream(bytes.Data(), bytes.Size());
    picture.Decode(stream, bytes.Type());
}

}  // namespace

PictureBytes PictureBytes::File(const char* path)
{
    PictureBytes bytes;
    bytes.m_path = path;
    bytes.m_type = path ? TypeFromExtension(path) : kImageUnknown;
    return bytes;
}

PictureBytes PictureBytes::Memory(const void* data, size_t size, uint32_t type)
{
    PictureBytes bytes;
    bytes.m_data = data;
    bytes.m_size = data ? size : 0;
    bytes.m_type = type;
    return bytes;
}

Thumbnail MakeThumbnail(const PictureBytes& bytes, uint32_t edge, uint64_t memoryBudget,
                        const StopToken& stop, const SizeTest& acceptsSize)
{
    Thumbnail out;
    if (bytes.Path() && bytes.Type() == kImageUnknown) {
        out.status = ThumbnailStatus::kNotAPicture;
        return out;
    }
    DecodeWatch watch(stop);
    CImageObject picture;
    picture.SetEscape(EscapeDecode, reinterpret_cast<intptr_t>(&watch));
    // A large JPEG is decoded already shrunk towards the tile, several times
    // faster than at full size; the caller still learns its size.
    picture.Settings().jpegFitEdge = edge;
    picture.Settings().memoryBudget = memoryBudget;
    Decode(bytes, picture);
    if (watch.ShouldStop()) {
        out.status = watch.Verdict();
        return out;
    }
    if (!picture.HasPixels()) {
        out.status = FailureOf(picture);
        return out;
    }
    out.sourceWidth = static_cast<uint32_t>(picture.SourceWidth());
    out.sourceHeight = static_cast<uint32_t>(picture.SourceHeight());
    if (acceptsSize && !acceptsSize(out.sourceWidth, out.sourceHeight)) {
        out.status = ThumbnailStatus::kSizeRefused;
        return out;
    }
    out.fit = FitThumbnail(out.sourceWidth, out.sourceHeight, edge);
    // A refused rescale leaves the picture at its size; the tile then shows
    // its top-left part.
    if (out.fit.scale)
        picture.Rescale(out.fit.width, out.fit.height, ResampleMode::kSmooth, nullptr);
    if (watch.ShouldStop()) {  // the rescale kept only the rows it reached
        out.status = watch.Verdict();
        return out;
    }
    out.tile.reset(new (std::nothrow) uint8_t[TileBytes(edge)]);
    if (!out.tile) {
        out.status = ThumbnailStatus::kTooLarge;
        return out;
    }
    ComposeTile(picture, out.fit, edge, out.tile.get());
    out.status = ThumbnailStatus::kDone;
    return out;
}
