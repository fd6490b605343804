// The list control of a category browser, which owns the browser's scan: it
// holds the filter values and the three scan flags, starts one worker that
// walks the cache folder depth-first, and keeps the worker's rows. Each
// browser's list derives from it and adds its category test and its rows.
//
// The list view holds no rows of its own (its template has the owner-data
// style): the records live here in scan order and the view asks for each
// row's text and image as it draws. A list view that stores its items costs
// memory that grows faster than the rows under some platforms (hundreds of
// megabytes at tens of thousands of rows); the records alone stay small.
#pragma once
#include "framework/afxwin.h"
#include "scan/cache_item.h"
#include "scan/filter_options.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCacheListCtrl : public CListCtrl {
public:
    CCacheListCtrl() = default;
    ~CCacheListCtrl() override;

    // Keeps the filters and starts the worker, once per list; running is 1
    // when a thread was created.
    void StartScan(const FilterOptions& filters);

    bool IsRunning() const { return m_running != 0; }
    bool IsPaused() const { return m_paused != 0; }
    bool StopRequested() const { return m_stopRequested != 0; }
    void SetPaused(bool paused) { m_paused = paused ? 1 : 0; }

    // The browser's Close: asks a running scan to unwind. True when the
    // window may close now; otherwise the worker posts IDCANCEL to the
    // browser once it has unwound.
    bool RequestStop();

    // On the worker thread: waits while paused; false when the walk must
    // unwind.
    bool PassPausePoint() const;

    // The record of a row, or null past the last row. On the user-interface
    // thread, like everything that reads rows.
    const CacheItem* Row(int index) const;
    // The first selected row's path, or an empty text when none is selected.
    CString SelectedPath() const;
    std::vector<std::string> SelectedPaths() const;

protected:
    // The list's own preparation before the worker starts (image list, type
    // list defaults), on the user-interface thread.
    virtual void PrepareScan() {}

    // The category test and what follows it, for one file of a folder.
    virtual void ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry) = 0;
    // The image a row shows, asked only while the row is drawn or read.
    virtual int RowImage(const CacheItem& row) = 0;

    virtual void WalkFolder(const char* folder);
    // Hands each entry the search pattern finds to visit, with a pause point
    // after each; ends early when the walk must unwind.
    void SearchFolder(const char* pattern, const std::function<void(const WIN32_FIND_DATAA&)>& visit);
    bool PassesDateTest(const WIN32_FIND_DATAA& entry) const;
    // "folder\name", normalised; false when it would not fit MAX_PATH.
    static bool BuildPath(char (&path)[MAX_PATH], const char* folder, const char* name);
    // Appends a row for the record, which shows the file's name and its
    // RowImage; the record is freed when the list cannot take the row. From
    // any thread: the row is added on the user-interface thread while the
    // caller waits.
    bool AppendRow(std::unique_ptr<CacheItem> record);

    // The view's questions about rows: display (text and image), and the
    // row whose name begins with what the user types.
    void OnGetDispInfo(NMHDR* header, LRESULT* result);
    void OnFindItem(NMHDR* header, LRESULT* result);
    void OnFindItemWide(NMHDR* header, LRESULT* result);
    LRESULT OnAppendRow(WPARAM wParam, LPARAM record);
    void OnTimer(UINT_PTR id);

    // Written on the user-interface thread before the worker starts (by
    // StartScan and PrepareScan) and only read afterwards, by either thread:
    // the thread's creation orders the writes before the worker's reads.
    FilterOptions m_filters;

private:
    static UINT ScanThreadProc(LPVOID parameter);
    void Scan();
    bool AddRowNow(CacheItem* record);
    int FindRowByName(const char* typed, UINT flags, int start) const;

    // Touched only on the user-interface thread: the worker hands records
    // over by a sent message and never reads them again.
    std::vector<std::unique_ptr<CacheItem>> m_rows;

    // Scan flags, shared with the worker without a lock: each is written
    // whole by one side and polled by the other.
    std::atomic<int32_t> m_running{0};
    std::atomic<int32_t> m_stopRequested{0};
    std::atomic<int32_t> m_paused{0};

    CWinThread* m_worker = nullptr;
    // Repainting is held while rows arrive and released a few times a
    // second, so the user watches the list grow without every row paying for
    // a repaint of its own.
    bool m_redrawHeld = false;

    DECLARE_MESSAGE_MAP()
};
