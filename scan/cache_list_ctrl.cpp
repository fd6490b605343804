#include "scan/cache_list_ctrl.h"

#include "scan/cache_folder.h"
#include "scan/cache_item.h"
#include "scan/filter_rules.h"
#include "scan/folder_search.h"
#include "scan/normalize_path.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr UINT WM_APPEND_ROW = WM_APP + 0x101;
constexpr UINT_PTR redrawTimer = 0x5A31;
constexpr UINT redrawInterval = 250;
}  // namespace

BEGIN_MESSAGE_MAP(CCacheListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(LVN_DELETEITEM, OnDeleteItem)
    ON_MESSAGE(WM_APPEND_ROW, OnAppendRow)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// Once running reads 0 the worker touches nothing of this object but its own
// last instructions; waiting for the thread here keeps those off freed memory.
CCacheListCtrl::~CCacheListCtrl()
{
    AfxJoinThread(m_worker);
}

void CCacheListCtrl::StartScan(const FilterOptions& filters)
{
    m_filters = filters;
    PrepareScan();
    // Running is set before the worker exists, which clears it as its last
    // act: set afterwards, a scan that ended at once would stay running.
    m_running = 1;
    m_worker = AfxBeginOwnedThread(ScanThreadProc, this);
    if (!m_worker)
        m_running = 0;
}

// The stop request is written before running is read, and the worker clears
// running before it reads the request: whichever side comes second sees the
// other's write, so a Close is never lost between them.
bool CCacheListCtrl::RequestStop()
{
    m_stopRequested = 1;
    return m_running == 0;
}

UINT CCacheListCtrl::ScanThreadProc(LPVOID parameter)
{
    static_cast<CCacheListCtrl*>(parameter)->Scan();
    return 0;
}

// A cache folder the shell cannot resolve scans nothing.
void CCacheListCtrl::Scan()
{
    char folder[MAX_PATH];
    if (LocateCacheFolder(folder))
        WalkFolder(folder);
    HWND browser = ::GetParent(m_hWnd);
    m_running = 0;
    if (m_stopRequested)
        ::PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
}

void CCacheListCtrl::WalkFolder(const char* folder)
{
    if (m_stopRequested)
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
    } while (!m_stopRequested && search.Next(entry));
}

bool CCacheListCtrl::PassPausePoint() const
{
    while (m_paused) {
        if (m_stopRequested)
            return false;
        ::Sleep(100);
    }
    return !m_stopRequested;
}

bool CCacheListCtrl::PassesDateTest(const WIN32_FIND_DATAA& entry) const
{
    FILETIME local;
    SYSTEMTIME calendar;
    if (!::FileTimeToLocalFileTime(&entry.ftLastWriteTime, &local) ||
        !::FileTimeToSystemTime(&local, &calendar))
        return m_filters.dateMode < Before || m_filters.dateMode > Exactly;
    int32_t fileDay = DayNumber(calendar.wYear, calendar.wMonth, calendar.wDay);
    return ::PassesDateTest(m_filters.dateMode, fileDay, m_filters.dayNumber);
}

CString CCacheListCtrl::SelectedPath() const
{
    int row = GetNextItem(-1, LVNI_SELECTED);
    if (row < 0 || row >= GetItemCount())
        return CString();
    const CacheItem* item = reinterpret_cast<const CacheItem*>(GetItemData(row));
    return item ? CString(item->path) : CString();
}

std::vector<std::string> CCacheListCtrl::SelectedPaths() const
{
    std::vector<std::string> paths;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = GetNextItem(row, LVNI_SELECTED)) {
        if (auto* item = reinterpret_cast<const CacheItem*>(GetItemData(row)))
            paths.emplace_back(item->path);
    }
    return paths;
}

bool CCacheListCtrl::BuildPath(char (&path)[MAX_PATH], const char* folder, const char* name)
{
    int length = std::snprintf(path, MAX_PATH, "%s\\%s", folder, name);
    if (length < 0 || length >= MAX_PATH)
        return false;
    NormalizePath(path);
    return true;
}

bool CCacheListCtrl::AppendRow(LPARAM record)
{
    return SendMessage(WM_APPEND_ROW, 0, record) != 0;
}

LRESULT CCacheListCtrl::OnAppendRow(WPARAM, LPARAM record)
{
    return InsertRowNow(record);
}

bool CCacheListCtrl::InsertRowNow(LPARAM record)
{
    if (!m_redrawHeld) {
        SendMessage(WM_SETREDRAW, FALSE);
        m_redrawHeld = true;
        SetTimer(redrawTimer, redrawInterval);
    }
    LVITEMA row = {};
    row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    row.iItem = static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
    row.pszText = LPSTR_TEXTCALLBACKA;
    row.iImage = I_IMAGECALLBACK;
    row.lParam = record;
    if (SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)) >= 0)
        return true;
    FreeCacheItem(record);
    return false;
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

void CCacheListCtrl::AnswerDisplayRequest(NMHDR* header, const char* name, int image)
{
    LVITEMA& row = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
    if (row.mask & LVIF_IMAGE)
        row.iImage = image;
    if ((row.mask & LVIF_TEXT) && row.iSubItem == 0 && row.pszText && row.cchTextMax > 0)
        lstrcpynA(row.pszText, name, row.cchTextMax);
}

void CCacheListCtrl::OnDeleteItem(NMHDR* header, LRESULT* result)
{
    const NMLISTVIEW* row = reinterpret_cast<const NMLISTVIEW*>(header);
    if (row->lParam)
        FreeCacheItem(row->lParam);
    *result = 0;
}
