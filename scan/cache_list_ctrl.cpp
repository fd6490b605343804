#include "scan/cache_list_ctrl.h"

#include "caches/cache_reader.h"
#include "sources/caches_to_scan.h"
#include "scan/cache_item.h"
#include "scan/filter_rules.h"
#include "platform/folder_search.h"
#include "platform/normalize_path.h"
#include "platform/shell_open.h"
#include "platform/text_code_pages.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {
constexpr UINT_PTR redrawTimer = 0x5A31;
constexpr UINT redrawInterval = 250;
}  // namespace

BEGIN_MESSAGE_MAP(CCacheListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
    ON_NOTIFY_REFLECT(LVN_ODFINDITEMA, OnFindItem)
    ON_NOTIFY_REFLECT(LVN_ODFINDITEMW, OnFindItemWide)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// The worker is stopped and joined before the rows and the window go: it
// reads the filters and hands rows to this object until it has ended.
CCacheListCtrl::~CCacheListCtrl()
{
    m_worker.Join();
}

void CCacheListCtrl::StartScan(const FilterOptions& filters)
{
    if (m_closeRequested || m_worker.IsRunning())
        return;
    m_filters = filters;
    PrepareScan();
    m_worker.Start([this] { Scan(); }, [this] { OnScanEnded(); });
}

// The Close and the end of the scan are both handled on the user-interface
// thread, so they come one after the other: a Close before the end is
// answered by the end (OnScanEnded), one after it closes at once. No Close is
// lost and none is answered twice.
bool CCacheListCtrl::RequestStop()
{
    m_closeRequested = true;
    m_worker.RequestStop();
    return !m_worker.IsRunning();
}

// The choice is read here, not when the window opens, so that a scan started
// after the Caches window closed reads what the user has just checked.
void CCacheListCtrl::Scan()
{
    const std::vector<ChosenCache> caches = CachesToScan();
    for (const ChosenCache& cache : caches)
        if (cache.kind == CacheSourceKind::InetCache)
            WalkFolder(cache.folder.c_str());
    for (const ChosenCache& cache : caches) {
        if (StopRequested())
            return;
        if (cache.kind == CacheSourceKind::BrowserCache)
            WalkEntries(std::make_shared<const ChosenCache>(cache));
    }
}

// The readers ask the stop check between entries and inside long reads, so a
// Close is answered within a pause point of the walk's.
void CCacheListCtrl::WalkEntries(const std::shared_ptr<const ChosenCache>& cache)
{
    OpenedCache opened = OpenCacheFolder(cache->folder);
    if (!opened.reader)
        return;
    const CacheStopCheck stop = [this] { return StopRequested(); };
    CacheEntry entry;
    while (opened.reader->Next(entry, stop))
        if (!OfferEntry(cache, *opened.reader, entry) || !PassPausePoint())
            return;
}

// What every list asks of an entry before its body is read: its date, then
// the row its headers make, judged by the list. False when the walk must
// unwind.
bool CCacheListCtrl::OfferEntry(const std::shared_ptr<const ChosenCache>& cache,
                                CacheReader& reader, const CacheEntry& entry)
{
    if (!PassesDateTest(entry))
        return true;
    EntryRow row = MakeEntryRow(entry, ConvertToAnsi);
    if (row.state == EntryRowState::None || !MayListEntry(row))
        return true;
    if (!PassPausePoint())
        return false;
    ExamineEntry(cache, reader, entry, row);
    return true;
}

void CCacheListCtrl::RefineRow(EntryRow& row, const CacheEntry& entry,
                               const std::vector<uint8_t>& head)
{
    RefineEntryRow(row, entry, head.empty() ? nullptr : head.data(), head.size(), ConvertToAnsi);
}

// Applied after the walk's last row: a Close that came during the scan closes
// the browser now.
void CCacheListCtrl::OnScanEnded()
{
    if (m_closeRequested)
        ::PostMessageA(::GetParent(m_hWnd), WM_COMMAND, IDCANCEL, 0);
}

void CCacheListCtrl::WalkFolder(const char* folder)
{
    if (StopRequested())
        return;
    char pattern[MAX_PATH];
    if (!BuildPath(pattern, folder, "*.*"))
        return;
    SearchFolder(pattern, [&](const WIN32_FIND_DATAA& entry) {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            char subfolder[MAX_PATH];
            if (entry.cFileName[0] != '.' && BuildPath(subfolder, folder, entry.cFileName))
                WalkFolder(subfolder);
        } else {
            ExamineFile(folder, entry);
        }
    });
}

void CCacheListCtrl::SearchFolder(const char* pattern,
                                  const std::function<void(const WIN32_FIND_DATAA&)>& visit)
{
    CFolderSearch search;
    WIN32_FIND_DATAA entry;
    if (!search.First(pattern, entry))
        return;
    do {
        visit(entry);
        if (!PassPausePoint())
            break;
    } while (!StopRequested() && search.Next(entry));
}

bool CCacheListCtrl::PassesDateTest(const WIN32_FIND_DATAA& entry) const
{
    return PassesDateTest(entry.ftLastWriteTime);
}

// Response times count microseconds from 1601, a FILETIME's tenth; an unknown
// time passes only where a file's time that cannot be converted would.
bool CCacheListCtrl::PassesDateTest(const CacheEntry& entry) const
{
    if (entry.responseTime <= 0 || entry.responseTime > INT64_MAX / 10)
        return m_filters.dateMode < Before || m_filters.dateMode > Exactly;
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>(entry.responseTime) * 10u;
    FILETIME time = { ticks.LowPart, ticks.HighPart };
    return PassesDateTest(time);
}

bool CCacheListCtrl::PassesDateTest(const FILETIME& time) const
{
    FILETIME local;
    SYSTEMTIME calendar;
    if (!::FileTimeToLocalFileTime(&time, &local) ||
        !::FileTimeToSystemTime(&local, &calendar))
        return m_filters.dateMode < Before || m_filters.dateMode > Exactly;
    int32_t fileDay = DayNumber(calendar.wYear, calendar.wMonth, calendar.wDay);
    return ::PassesDateTest(m_filters.dateMode, fileDay, m_filters.dayNumber);
}

const CacheItem* CCacheListCtrl::Row(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_rows.size())
        return nullptr;
    return m_rows[index].get();
}

CString CCacheListCtrl::SelectedPath() const
{
    const CacheItem* row = Row(GetNextItem(-1, LVNI_SELECTED));
    return row ? CString(row->path) : CString();
}

std::vector<std::string> CCacheListCtrl::SelectedPaths() const
{
    std::vector<std::string> paths;
    for (int index = GetNextItem(-1, LVNI_SELECTED); index >= 0;
         index = GetNextItem(index, LVNI_SELECTED)) {
        if (const CacheItem* row = Row(index))
            paths.emplace_back(row->path);
    }
    return paths;
}

const CacheItem* CCacheListCtrl::SelectedRow() const
{
    return Row(GetNextItem(-1, LVNI_SELECTED));
}

std::string CCacheListCtrl::SelectedRowFile()
{
    const CacheItem* row = SelectedRow();
    return row ? row->FileForPrograms(m_tempFiles) : std::string();
}

void CCacheListCtrl::OpenInDefaultProgram(const CacheItem& row)
{
    std::string file = row.FileForPrograms(m_tempFiles);
    if (!file.empty())
        OpenWithShell(file.c_str());
}

std::vector<const CacheItem*> CCacheListCtrl::SelectedRows() const
{
    std::vector<const CacheItem*> rows;
    for (int index = GetNextItem(-1, LVNI_SELECTED); index >= 0;
         index = GetNextItem(index, LVNI_SELECTED)) {
        if (const CacheItem* row = Row(index))
            rows.push_back(row);
    }
    return rows;
}

bool CCacheListCtrl::BuildPath(char (&path)[MAX_PATH], const char* folder, const char* name)
{
    int length = std::snprintf(path, MAX_PATH, "%s\\%s", folder, name);
    if (length < 0 || length >= MAX_PATH)
        return false;
    NormalizePath(path);
    return true;
}

bool CCacheListCtrl::AppendRow(std::unique_ptr<CacheItem> record)
{
    if (!record)
        return false;
    return m_worker.Send([this, row = std::move(record)]() mutable { AddRowNow(std::move(row)); });
}

void CCacheListCtrl::AddRowNow(std::unique_ptr<CacheItem> record)
{
    if (!m_redrawHeld) {
        SendMessage(WM_SETREDRAW, FALSE);
        m_redrawHeld = true;
        SetTimer(redrawTimer, redrawInterval);
    }
    try {
        m_rows.push_back(std::move(record));
    } catch (const std::bad_alloc&) {
        return;
    }
    WPARAM count = m_rows.size();
    if (!SendMessage(LVM_SETITEMCOUNT, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL))
        m_rows.pop_back();
}

void CCacheListCtrl::OnTimer(UINT_PTR id)
{
    if (id != redrawTimer) {
        Default();
        return;
    }
    KillTimer(redrawTimer);
    m_redrawHeld = false;
    SendMessage(WM_SETREDRAW, TRUE);
    Invalidate(TRUE);
}

void CCacheListCtrl::OnGetDispInfo(NMHDR* header, LRESULT* result)
{
    *result = 0;
    LVITEMA& request = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
    const CacheItem* row = Row(request.iItem);
    if (!row)
        return;
    if (request.mask & LVIF_IMAGE)
        request.iImage = RowImage(*row);
    if ((request.mask & LVIF_TEXT) && request.iSubItem == 0 && request.pszText &&
        request.cchTextMax > 0)
        lstrcpynA(request.pszText, FileNamePart(row->path), request.cchTextMax);
}

// Typing in the view looks for the next row whose name begins with the
// typed text. Some list views send the wide form of the request even to a
// window that takes the narrow one; both carry the same fields.
void CCacheListCtrl::OnFindItem(NMHDR* header, LRESULT* result)
{
    const NMLVFINDITEMA* find = reinterpret_cast<const NMLVFINDITEMA*>(header);
    *result = (find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz
                  ? FindRowByName(find->lvfi.psz, find->lvfi.flags, find->iStart)
                  : -1;
}

void CCacheListCtrl::OnFindItemWide(NMHDR* header, LRESULT* result)
{
    const NMLVFINDITEMW* find = reinterpret_cast<const NMLVFINDITEMW*>(header);
    char typed[MAX_PATH];
    *result = (find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz &&
                      ::WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, typed, sizeof typed,
                                            nullptr, nullptr)
                  ? FindRowByName(typed, find->lvfi.flags, find->iStart)
                  : -1;
}

// From the start row on, ignoring case; wraps to the first row when asked.
int CCacheListCtrl::FindRowByName(const char* typed, UINT flags, int start) const
{
    int count = static_cast<int>(m_rows.size());
    int first = start < 0 || start >= count ? 0 : start;
    int tries = (flags & LVFI_WRAP) ? count : count - first;
    int typedLength = lstrlenA(typed);
    for (int step = 0; step < tries; ++step) {
        int index = (first + step) % count;
        const char* name = FileNamePart(m_rows[index]->path);
        int compared = (flags & LVFI_PARTIAL) ? std::min(typedLength, lstrlenA(name)) : -1;
        if (::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name, compared, typed,
                             (flags & LVFI_PARTIAL) ? typedLength : -1) == CSTR_EQUAL)
            return index;
    }
    return -1;
}
