#include "app/export_list.h"

#include "app/console_message.h"
#include "browser/list_report_file.h"
#include "files/other_list_ctrl.h"
#include "files/text_list_ctrl.h"
#include "images/image_list_view.h"
#include "media/media_category.h"
#include "media/media_list_ctrl.h"
#include "scan/filter_rules.h"

#include <commctrl.h>

#include <memory>
#include <string>

namespace {

constexpr int exportWriteFailed = 3;

struct ExportedList {
    ExportCategory category;
    const char* title;  // the browser's caption, the HTML report's title
    ReportKind kind;
};

const ExportedList exportedLists[] = {
    { ExportCategory::Images, "Images", ReportKind::Pictures },
    { ExportCategory::Text, "Text Files", ReportKind::Files },
    { ExportCategory::Other, "Other Files", ReportKind::Files },
    { ExportCategory::Flashes, "Flashes", ReportKind::Files },
    { ExportCategory::Movies, "Movies", ReportKind::Files },
    { ExportCategory::Audios, "Audios", ReportKind::Files },
};

const ExportedList& ListOf(ExportCategory category)
{
    for (const ExportedList& list : exportedLists)
        if (list.category == category)
            return list;
    return exportedLists[0];
}

std::unique_ptr<CCacheListCtrl> MakeListControl(ExportCategory category)
{
    switch (category) {
    case ExportCategory::Images:
        return std::make_unique<CImageListView>();
    case ExportCategory::Text:
        return std::make_unique<CTextListCtrl>();
    case ExportCategory::Other:
        return std::make_unique<COtherListCtrl>();
    default:
        return std::make_unique<CMediaListCtrl>();
    }
}

int32_t MediaKindOf(ExportCategory category)
{
    switch (category) {
    case ExportCategory::Movies:
        return Movies;
    case ExportCategory::Audios:
        return Audios;
    default:
        return Flashes;
    }
}

// The local calendar day the given count of days before today, as the Date
// options' "Since" takes it.
int32_t LocalDayNumberDaysAgo(int32_t days)
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    ticks.QuadPart -= static_cast<ULONGLONG>(days) * 24 * 60 * 60 * 10000000ULL;
    const FILETIME then = { ticks.LowPart, ticks.HighPart };
    FILETIME local;
    SYSTEMTIME calendar;
    if (!::FileTimeToLocalFileTime(&then, &local) || !::FileTimeToSystemTime(&local, &calendar))
        return 0;
    return DayNumber(calendar.wYear, calendar.wMonth, calendar.wDay);
}

// The filters a user would set in the category's Options dialog; what the
// command line leaves out is what the browser's scan does without it: any
// date, any size, the usual text types, every name.
FilterOptions FiltersOf(const ProgramRequest& request)
{
    FilterOptions filters;
    if (request.sinceDays >= 0) {
        filters.dateMode = Since;
        filters.dayNumber = LocalDayNumberDaysAgo(request.sinceDays);
    }
    filters.typeList = request.types.c_str();
    filters.searchText = request.search.c_str();
    filters.wildcard = request.pattern.c_str();
    filters.mediaKind = MediaKindOf(request.category);
    return filters;
}

// A top-level window that is never shown, the list control's parent, as the
// browser's dialog is; both go with the object.
class HiddenListHost {
public:
    HiddenListHost()
    {
        INITCOMMONCONTROLSEX classes = { sizeof classes, ICC_LISTVIEW_CLASSES };
        ::InitCommonControlsEx(&classes);
        m_window = ::CreateWindowExA(0, "STATIC", "Zema export", WS_POPUP, 0, 0, 640, 480,
                                     nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        m_list = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_ICON | LVS_OWNERDATA, 0, 0,
                                   640, 480, m_window, nullptr, ::GetModuleHandleA(nullptr),
                                   nullptr);
    }
    ~HiddenListHost()
    {
        if (m_window)
            ::DestroyWindow(m_window);
    }
    HiddenListHost(const HiddenListHost&) = delete;
    HiddenListHost& operator=(const HiddenListHost&) = delete;

    HWND List() const { return m_list; }

private:
    HWND m_window = nullptr;
    HWND m_list = nullptr;
};

}  // namespace

int ExportList(const ProgramRequest& request)
{
    const ExportedList& exported = ListOf(request.category);
    HiddenListHost host;
    std::unique_ptr<CCacheListCtrl> list = MakeListControl(request.category);
    if (!host.List() || !list->SubclassWindow(host.List())) {
        TellUser("Zema: the export could not start.", true);
        return exportWriteFailed;
    }
    // The scan hands its rows over through this thread's messages.
    list->StartScan(FiltersOf(request));
    AfxPumpMessagesUntil([&] { return !list->IsRunning(); });

    ListReport report;
    for (int index = 0; const CacheItem* row = list->Row(index); ++index)
        report.rows.push_back(row);
    report.format = request.format;
    report.kind = exported.kind;
    report.title = exported.title;
    const CCacheListCtrl& rows = *list;
    report.thumbnail = [&rows](const CacheItem& row) { return rows.ThumbnailPng(row); };
    if (WriteListReport(report, request.file, nullptr) != ListReportResult::Written) {
        TellUser("Zema: the list could not be written to " + request.file + ".", true);
        return exportWriteFailed;
    }
    TellUser("Zema: " + std::to_string(report.rows.size()) + " rows of " +
                 ExportCategoryName(request.category) + " written to " + request.file + ".",
             false);
    return 0;
}
