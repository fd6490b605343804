// The list control of a category browser, which owns the browser's scan: it
// holds the filter values and the scan's worker (framework/afxworker.h), which
// walks the cache folder depth-first, then the entries of each browser cache
// given (sources/cache_source.h), and hands each row to the user-interface
// thread, and keeps the rows. Each browser's list derives from it and adds
// its category test and its rows.
//
// The list view holds no rows of its own (its template has the owner-data
// style): the records live here in scan order and the view asks for each
// row's text and image as it draws. A list view that stores its items costs
// memory that grows faster than the rows under some platforms (hundreds of
// megabytes at tens of thousands of rows); the records alone stay small.
#pragma once
#include "framework/afxwin.h"
#include "framework/afxworker.h"
#include "caches/cache_entry.h"
#include "scan/cache_item.h"
#include "scan/entry_rows.h"
#include "scan/entry_temp_files.h"
#include "sources/cache_source.h"
#include "scan/filter_options.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CacheReader;

class CCacheListCtrl : public CListCtrl {
public:
    CCacheListCtrl() = default;
    ~CCacheListCtrl() override;

    // Keeps the filters and starts the worker, once per list and not after
    // a Close; running when a thread was created.
    void StartScan(const FilterOptions& filters);

    // On the user-interface thread: from StartScan until every row the walk
    // found has been added.
    bool IsRunning() const { return m_worker.IsRunning(); }
    bool IsPaused() const { return m_worker.IsPaused(); }
    // From either thread.
    bool StopRequested() const { return m_worker.StopRequested(); }
    void SetPaused(bool paused) { m_worker.SetPaused(paused); }

    // The browser's Close: asks a running scan to unwind. True when the
    // window may close now; otherwise the list posts IDCANCEL to the browser
    // once the walk has unwound and its last row is in.
    bool RequestStop();

    // On the worker thread: holds while paused; false when the walk must
    // unwind.
    bool PassPausePoint() const { return m_worker.PassPausePoint(); }

    // The record of a row, or null past the last row. On the user-interface
    // thread, like everything that reads rows.
    const CacheItem* Row(int index) const;
    // The first selected row's path, or an empty text when none is selected.
    CString SelectedPath() const;
    std::vector<std::string> SelectedPaths() const;
    // The selected rows' records, valid until the list next changes.
    const CacheItem* SelectedRow() const;
    std::vector<const CacheItem*> SelectedRows() const;
    // The selected row as a file other programs can open (a file row's own
    // path, an entry's body written among this list's temporary files); ""
    // when none is selected or the body cannot be written.
    std::string SelectedRowFile();
    // Hands a row to the shell's default program for its type.
    void OpenInDefaultProgram(const CacheItem& row);
    // What a double-click on the row does: by default its default program.
    virtual void OpenRow(const CacheItem& row) { OpenInDefaultProgram(row); }
    // The row's thumbnail as PNG bytes, "" for a list without thumbnails;
    // from any thread, while the list lives.
    virtual std::string ThumbnailPng(const CacheItem& /*row*/) const { return std::string(); }

protected:
    // The list's own preparation before the worker starts (image list, type
    // list defaults), on the user-interface thread.
    virtual void PrepareScan() {}

    // The category test and what follows it, for one file of a folder.
    virtual void ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry) = 0;
    // Whether an entry of a browser cache may be one of this list's rows, by
    // the row its headers make (MakeEntryRow): only then is its body read. A
    // list without entry rows lists none.
    virtual bool MayListEntry(const EntryRow& /*headerRow*/) const { return false; }
    // What follows for an entry that may be the list's, on the worker thread
    // after its date test and a pause point: the reader is the one that
    // returned the entry, its body still to be read; row is the one its
    // headers made, for RefineEntryRow once the body's first bytes are read.
    virtual void ExamineEntry(const std::shared_ptr<const ChosenCache>& /*cache*/,
                              CacheReader& /*reader*/, const CacheEntry& /*entry*/,
                              EntryRow& /*row*/)
    {
    }
    // The image a row shows, asked only while the row is drawn or read.
    virtual int RowImage(const CacheItem& row) = 0;
    // The header row of ExamineEntry told again by the decoded body's first
    // bytes once they are read (RefineEntryRow, names in the ANSI code page).
    static void RefineRow(EntryRow& row, const CacheEntry& entry, const std::vector<uint8_t>& head);

    virtual void WalkFolder(const char* folder);
    // Hands each entry the search pattern finds to visit, with a pause point
    // after each; ends early when the walk must unwind.
    void SearchFolder(const char* pattern,
                      const std::function<void(const WIN32_FIND_DATAA&)>& visit);
    bool PassesDateTest(const WIN32_FIND_DATAA& entry) const;
    // "folder\name", normalised; false when it would not fit MAX_PATH.
    static bool BuildPath(char (&path)[MAX_PATH], const char* folder, const char* name);
    // On the worker thread: hands the record to the user-interface thread,
    // which adds a row for it (showing the file's name and its RowImage), and
    // waits until it has. The record is freed when the list cannot take the
    // row. False when a Close cut the wait short: the row is then added
    // later, or the record freed with the worker.
    bool AppendRow(std::unique_ptr<CacheItem> record);

    // The view's questions about rows: display (text and image), and the
    // row whose name begins with what the user types.
    void OnGetDispInfo(NMHDR* header, LRESULT* result);
    void OnFindItem(NMHDR* header, LRESULT* result);
    void OnFindItemWide(NMHDR* header, LRESULT* result);
    void OnTimer(UINT_PTR id);

    // Written on the user-interface thread before the worker starts (by
    // StartScan and PrepareScan) and only read afterwards, by either thread:
    // the thread's creation orders the writes before the worker's reads.
    FilterOptions m_filters;

private:
    // The walk, on the worker thread, over the caches the user has checked:
    // the Internet cache folders first, then the browsers' entries. A cache
    // that cannot be opened gives no rows.
    void Scan();
    // A browser cache's entries in the reader's order, a pause point after each.
    void WalkEntries(const std::shared_ptr<const ChosenCache>& cache);
    bool OfferEntry(const std::shared_ptr<const ChosenCache>& cache, CacheReader& reader,
                    const CacheEntry& entry);
    // An entry's date test on its response time.
    bool PassesDateTest(const CacheEntry& entry) const;
    bool PassesDateTest(const FILETIME& time) const;
    void OnScanEnded();
    void AddRowNow(std::unique_ptr<CacheItem> record);
    int FindRowByName(const char* typed, UINT flags, int start) const;

    // Touched only on the user-interface thread: the worker hands each
    // record over in a result and never reads it again.
    std::vector<std::unique_ptr<CacheItem>> m_rows;
    // Written and read on the user-interface thread only; removed with the
    // list, when its window closes.
    CEntryTempFiles m_tempFiles;

    // The scan's start, pause, stop and hand-over of rows; its flags are the
    // worker's, shared as afxworker.h describes.
    CWorker m_worker;
    // Whether the browser's Close has come: the user-interface thread's
    // alone, like the end of the scan that reads it, so a Close and the
    // scan's end cannot cross.
    bool m_closeRequested = false;
    // Repainting is held while rows arrive and released a few times a
    // second, so the user watches the list grow without every row paying for
    // a repaint of its own.
    bool m_redrawHeld = false;

    DECLARE_MESSAGE_MAP()
};
