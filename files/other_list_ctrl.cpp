#include "files/other_list_ctrl.h"

#include "caches/cache_reader.h"
#include "scan/cached_entry.h"
#include "scan/entry_rows.h"
#include "scan/filter_rules.h"

#include <vector>

namespace {

// A body is decoded only to be measured, never held: the bound keeps one that
// decodes without end from holding the walk, as it keeps a copy's.
constexpr uint64_t measureBound = 0xFFFFFFFFull;

}  // namespace

BEGIN_MESSAGE_MAP(COtherListCtrl, CFileListCtrl)
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

void COtherListCtrl::WalkFolder(const char* folder)
{
    CFileListCtrl::WalkFolder(folder);
    if (!StopRequested())
        ListMatchingFiles(folder);
}

// The search matches the name alone, "*" and "?" as the file system reads
// them and without regard to case; a folder that matches is passed over. A
// pattern with a path part would list another folder's files under this
// folder's name, so it lists nothing.
void COtherListCtrl::ListMatchingFiles(const char* folder)
{
    char pattern[MAX_PATH];
    if (!IsNamePattern(m_filters.wildcard) || !BuildPath(pattern, folder, m_filters.wildcard))
        return;
    SearchFolder(pattern, [&](const WIN32_FIND_DATAA& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ListFile(folder, entry);
    });
}

void COtherListCtrl::ListFile(const char* folder, const WIN32_FIND_DATAA& entry)
{
    if (entry.nFileSizeHigh == 0 && entry.nFileSizeLow == 0)
        return;
    char path[MAX_PATH];
    if (PassesDateTest(entry) && BuildPath(path, folder, entry.cFileName))
        AddFileRow(path);
}

// The wildcard on the row's name as the folder search applies it to a file's,
// and the date. The body is decoded for its size (an empty one is passed
// over, as a file of length 0 is) and for the name's last say when neither
// the content type nor the URL told the kind. A row whose body was stored in
// part or cannot be read is listed when its kind is known; its size then is
// not.
bool COtherListCtrl::MayListEntry(const EntryRow& headerRow) const
{
    return IsNamePattern(m_filters.wildcard) &&
           (RowAwaitsBody(headerRow) || IsOtherRow(headerRow, m_filters.wildcard));
}

void COtherListCtrl::ExamineEntry(const std::shared_ptr<const ChosenCache>& cache,
                                  CacheReader& reader, const CacheEntry& entry, EntryRow& row)
{
    std::vector<uint8_t> head;
    uint64_t decodedSize = 0;
    BodyDecodeStatus status = BodyDecodeStatus::ReadFailed;
    if (row.state != EntryRowState::Unreadable) {
        const CacheStopCheck stop = [this] { return StopRequested(); };
        status = MeasureBody(
            [&](const DecodedBodySink& sink) {
                return ReadEntryBody(reader, entry, measureBound, stop, sink);
            },
            head, decodedSize);
    }
    if (row.state == EntryRowState::Whole && (status != BodyDecodeStatus::Ok || decodedSize == 0))
        return;
    RefineRow(row, entry, head);
    if (IsOtherRow(row, m_filters.wildcard) && !StopRequested())
        AddEntryRow(cache, entry, row.name, decodedSize);
}
