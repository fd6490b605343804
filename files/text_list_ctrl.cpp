#include "files/text_list_ctrl.h"

#include "caches/cache_reader.h"
#include "files/text_file.h"
#include "scan/cached_entry.h"
#include "scan/entry_rows.h"
#include "scan/filter_rules.h"

#include <cstring>
#include <new>
#include <vector>

void CTextListCtrl::PrepareScan()
{
    if (m_filters.typeList.IsEmpty())
        m_filters.typeList = "js;vbs;txt;htm;html";
}

// The cheap tests first: the content is read only for a file that passed the
// others.
void CTextListCtrl::ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry)
{
    if (entry.nFileSizeHigh == 0 && entry.nFileSizeLow == 0)
        return;
    if (!TypeListContains(m_filters.typeList, ExtensionOfName(entry.cFileName)) ||
        !PassesDateTest(entry))
        return;
    char path[MAX_PATH];
    if (!BuildPath(path, folder, entry.cFileName))
        return;
    if (!m_filters.searchText.IsEmpty()) {
        // A Close is heard between blocks of a large file's reading and search.
        auto stopRequested = [this] { return StopRequested(); };
        std::unique_ptr<char[]> text = ReadTextFile(path, stopRequested);
        if (!text || !HoldsSearchText(text.get(), std::strlen(text.get())))
            return;
    }
    AddFileRow(path);
}

// As for a file: the name's type and the date before the body is read, the
// body decoded once for the name's last say (a type found in its first
// bytes), its size and the search. A body larger than a file the browser
// would read is passed over as that file is.
bool CTextListCtrl::MayListEntry(const EntryRow& headerRow) const
{
    return RowAwaitsBody(headerRow) || IsTextRow(headerRow, m_filters.typeList);
}

void CTextListCtrl::ExamineEntry(const std::shared_ptr<const ChosenCache>& cache,
                                 CacheReader& reader, const CacheEntry& entry, EntryRow& row)
{
    const CacheStopCheck stop = [this] { return StopRequested(); };
    std::vector<uint8_t> body;
    if (ReadBodyInMemory(
            [&](const DecodedBodySink& sink) {
                return ReadEntryBody(reader, entry, maxTextFileSize, stop, sink);
            },
            body) != BodyDecodeStatus::Ok ||
        body.empty())
        return;
    RefineRow(row, entry, body);
    if (!IsTextRow(row, m_filters.typeList))
        return;
    const uint64_t decodedSize = body.size();
    if (!m_filters.searchText.IsEmpty()) {
        try {
            body.push_back(0);
        } catch (const std::bad_alloc&) {
            return;
        }
        const char* text = reinterpret_cast<const char*>(body.data());
        if (!HoldsSearchText(text, std::strlen(text)))
            return;
    }
    AddEntryRow(cache, entry, row.name, decodedSize);
}

bool CTextListCtrl::HoldsSearchText(const char* text, uint64_t length) const
{
    auto stopRequested = [this] { return StopRequested(); };
    return FindSearchText(text, length, m_filters.searchText, stopRequested) >= 0;
}
