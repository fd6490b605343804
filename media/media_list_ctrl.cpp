#include "media/media_list_ctrl.h"

#include "caches/cache_reader.h"
#include "media/media_category.h"
#include "scan/body_signature.h"
#include "scan/cached_entry.h"
#include "scan/entry_rows.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// A media body is never held: it is counted as it decodes, and only its
// first bytes are kept, for the kind of an entry its headers leave unknown.
// The bound is the one a copy writes to, so the size Drill gives is the
// copy's.
constexpr uint64_t mediaBodyBound = 0xFFFFFFFFull;

struct MeasuredBody {
    BodyDecodeStatus status = BodyDecodeStatus::ReadFailed;
    uint64_t decodedBytes = 0;
    std::vector<uint8_t> head;
};

MeasuredBody MeasureBody(CacheReader& reader, const CacheEntry& entry, const CacheStopCheck& stop)
{
    MeasuredBody measured;
    measured.head.reserve(kSignatureBytes);
    BodyDecodeResult result =
        ReadEntryBody(reader, entry, mediaBodyBound, stop, [&](const uint8_t* data, size_t size) {
            const size_t room = kSignatureBytes - measured.head.size();
            measured.head.insert(measured.head.end(), data, data + std::min(room, size));
            return true;
        });
    measured.status = result.status;
    measured.decodedBytes = result.decodedBytes;
    return measured;
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

// An entry whose headers already name another kind is passed over unread.
// A whole body must decode and hold bytes, as a listed file is never empty;
// one stored in part or unreadable (range-fetched media) is listed on the
// kind its headers name, whatever its stored bytes give.
void CMediaListCtrl::ExamineEntry(const std::shared_ptr<const ChosenCache>& cache,
                                  CacheReader& reader, const CacheEntry& entry)
{
    if (!PassesDateTest(entry))
        return;
    EntryRow row = MakeEntryRow(entry, nullptr, 0, ConvertToAnsi);
    if (row.state == EntryRowState::None ||
        (row.category.source != CategorySource::None && !IsMediaRow(row, m_filters.mediaKind)))
        return;
    if (!PassPausePoint())
        return;
    const CacheStopCheck stop = [this] { return StopRequested(); };
    const MeasuredBody body = MeasureBody(reader, entry, stop);
    if (body.status == BodyDecodeStatus::Cancelled)
        return;
    if (row.state == EntryRowState::Whole &&
        (body.status != BodyDecodeStatus::Ok || body.decodedBytes == 0))
        return;
    row = MakeEntryRow(entry, body.head.data(), body.head.size(), ConvertToAnsi);
    if (IsMediaRow(row, m_filters.mediaKind))
        AddEntryRow(cache, entry, row.name, body.decodedBytes);
}
