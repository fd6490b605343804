#include "media/media_list_ctrl.h"

#include "caches/cache_reader.h"
#include "media/media_category.h"
#include "scan/body_signature.h"
#include "scan/cached_entry.h"
#include "scan/entry_rows.h"

#include <cstdint>
#include <vector>

namespace {

// A media body is never held: it is counted as it decodes. The bound is the
// one a copy writes to, so the size Drill gives is the copy's.
constexpr uint64_t mediaBodyBound = 0xFFFFFFFFull;

BodyDecodeResult CountBody(CacheReader& reader, const CacheEntry& entry, const CacheStopCheck& stop)
{
    return ReadEntryBody(reader, entry, mediaBodyBound, stop,
                         [](const uint8_t*, size_t) { return true; });
}

// The decoded body's first bytes, for a kind the headers leave unknown.
std::vector<uint8_t> BodyHead(CacheReader& reader, const CacheEntry& entry,
                              const CacheStopCheck& stop)
{
    std::vector<uint8_t> head;
    ReadBodyInMemory(
        [&](const DecodedBodySink& sink) {
            return ReadEntryBody(reader, entry, kSignatureBytes, stop, sink);
        },
        head);
    return head;
}

}  // namespace

BEGIN_MESSAGE_MAP(CMediaListCtrl, CFileListCtrl)
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

// Empty files and the date come first: the category may cost a registry read.
void CMediaListCtrl::ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry)
{
    if (entry.nFileSizeHigh == 0 && entry.nFileSizeLow == 0)
        return;
    char path[MAX_PATH];
    if (!PassesDateTest(entry) || !BuildPath(path, folder, entry.cFileName))
        return;
    if (IsMediaOfKind(m_filters.mediaKind, path))
        AddFileRow(path);
}

// Only an entry whose first bytes may still tell its kind has them read;
// only a media row of this kind is read whole, to count its decoded bytes.
// A whole body must decode and hold bytes, as a listed file is never empty;
// one stored in part or unreadable (range-fetched media) is listed on the
// kind its headers name, whatever its stored bytes give.
bool CMediaListCtrl::MayListEntry(const EntryRow& headerRow) const
{
    return RowAwaitsBody(headerRow) || IsMediaRow(headerRow, m_filters.mediaKind);
}

void CMediaListCtrl::ExamineEntry(const std::shared_ptr<const ChosenCache>& cache,
                                  CacheReader& reader, const CacheEntry& entry, EntryRow& row)
{
    const CacheStopCheck stop = [this] { return StopRequested(); };
    if (RowAwaitsBody(row)) {
        RefineRow(row, entry, BodyHead(reader, entry, stop));
        // Between the reads of the head and of the whole body.
        if (!PassPausePoint())
            return;
    }
    if (!IsMediaRow(row, m_filters.mediaKind))
        return;
    const BodyDecodeResult body = CountBody(reader, entry, stop);
    if (body.status == BodyDecodeStatus::Cancelled)
        return;
    if (row.state == EntryRowState::Whole &&
        (body.status != BodyDecodeStatus::Ok || body.decodedBytes == 0))
        return;
    AddEntryRow(cache, entry, row.name, body.decodedBytes);
}
