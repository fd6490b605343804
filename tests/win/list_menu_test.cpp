// The browsers' list menu and Save List over caches real browsers wrote in
// this run, beside WinINet files the index does not know: each window's items
// follow the selection, Copy URL puts the entries' URLs on the clipboard, and
// the saved lists read back row for row. Made rows carry a hostile name and
// URL through every format, and time a save of 100,000 rows while the window
// answers.
#include "browser/list_commands.h"
#include "browser/list_menu.h"
#include "browser/save_list.h"
#include "files/other_browser_dlg.h"
#include "files/other_list_ctrl.h"
#include "files/text_list_ctrl.h"
#include "images/image_list_view.h"
#include "res/resource.h"
#include "scan/cached_entry.h"
#include "scan/entry_item.h"
#include "tests/common/report_readers.h"
#include "tests/common/served_manifest.h"
#include "tests/win/modal_driver.h"
#include "tests/win/placed_caches.h"
#include "tests/win/scan_host.h"
#include "tests/win/temp_tree.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const UINT menuCommands[] = { ID_LIST_OPEN,       ID_LIST_COPY_URL,  ID_LIST_OPEN_URL, IDC_COPY_TO,
                              ID_LIST_SELECT_ALL, ID_LIST_SAVE_LIST, IDC_DRILL };

// Each command's item in the menu as the window would show it: enabled or
// greyed.
std::map<UINT, bool> MenuItems(const ListMenuOffer& offer, const CCacheListCtrl& list)
{
    std::map<UINT, bool> enabled;
    RowUrls urls;
    HMENU popup = nullptr;
    HMENU menu = LoadListMenu(offer, SelectionFactsOf(list, urls), popup);
    EXPECT_NE(menu, nullptr);
    for (UINT command : menuCommands) {
        const UINT state = ::GetMenuState(popup, command, MF_BYCOMMAND);
        EXPECT_NE(state, static_cast<UINT>(-1)) << "no item " << command;
        enabled[command] = state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
    }
    DestroyListMenu(menu);
    return enabled;
}

void Select(CListCtrl& list, const std::vector<int>& rows)
{
    ListView_SetItemState(list.m_hWnd, -1, 0, LVIS_SELECTED);
    for (int row : rows)
        ListView_SetItemState(list.m_hWnd, row, LVIS_SELECTED, LVIS_SELECTED);
}

std::string ClipboardText()
{
    std::string text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        const wchar_t* wide = static_cast<const wchar_t*>(::GlobalLock(data));
        char utf8[8192] = {};
        if (wide)
            ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
        ::GlobalUnlock(data);
        text = utf8;
    }
    ::CloseClipboard();
    return text;
}

// The list's rows in order, each as its record.
std::vector<const CacheItem*> AllRows(const CCacheListCtrl& list)
{
    std::vector<const CacheItem*> rows;
    for (int index = 0; const CacheItem* row = list.Row(index); ++index)
        rows.push_back(row);
    return rows;
}

// Files other than the expected ones left in a folder (a temporary file of a
// save that should have removed it).
std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

ReportRecords ReadBack(const std::string& file, ReportFormat format)
{
    ReportRecords records;
    const std::string text = ReadWholeFile(file);
    const bool read =
        format == ReportFormat::Csv ? ReadCsv(text, records) : ReadTabText(text, records);
    EXPECT_TRUE(read) << file;
    return records;
}

class ListMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(caches.AllPlaced());
        tree.AddFile("wininet\\AB12CD34\\winfile.bmp", GreyBmp());
        tree.AddFile("wininet\\AB12CD34\\winfile.txt", "plain text\r\n");
        tree.AddFile("wininet\\AB12CD34\\winfile.json", "{}");
    }

    // Scans, then checks the items with no row, the WinINet file (the first
    // row, without a URL), an entry and both selected.
    void ExpectItemsFollowTheSelection(ScanHost& host, CCacheListCtrl& list,
                                       const ListMenuOffer& offer, bool opens)
    {
        ASSERT_TRUE(host.PumpUntil([&] { return !list.IsRunning(); }, 60000));
        ASSERT_GE(list.GetItemCount(), 2);
        ASSERT_FALSE(list.Row(0)->SourceEntry()) << "the WinINet file comes first";
        ASSERT_TRUE(list.Row(1)->SourceEntry());

        Select(list, {});
        std::map<UINT, bool> items = MenuItems(offer, list);
        for (UINT command : menuCommands)
            EXPECT_EQ(items[command], command == ID_LIST_SELECT_ALL || command == ID_LIST_SAVE_LIST)
                << command;

        Select(list, { 0 });
        items = MenuItems(offer, list);
        EXPECT_EQ(items[ID_LIST_OPEN], opens);
        EXPECT_TRUE(items[IDC_COPY_TO] && items[IDC_DRILL] && items[ID_LIST_SAVE_LIST]);
        EXPECT_FALSE(items[ID_LIST_COPY_URL] || items[ID_LIST_OPEN_URL]);

        for (const std::vector<int>& rows : { std::vector<int>{ 1 }, std::vector<int>{ 0, 1 } }) {
            Select(list, rows);
            items = MenuItems(offer, list);
            EXPECT_TRUE(items[ID_LIST_COPY_URL] && items[ID_LIST_OPEN_URL]);
            EXPECT_EQ(items[ID_LIST_OPEN], opens);
        }

        SelectAllRows(list);
        EXPECT_EQ(static_cast<int>(list.GetSelectedCount()), list.GetItemCount());
    }

    PlacedBrowserCaches caches{ ZEMA_MADE_CACHES };
    TempTree tree;
    CacheFolderOverride cache{ tree.Root() + "\\wininet" };
    ScanHost host;
};

TEST_F(ListMenu, EachWindowsItemsFollowTheSelection)
{
    CTextListCtrl text;
    text.SubclassWindow(host.List());
    FilterOptions textFilters;
    textFilters.typeList = "js;txt;css";
    text.StartScan(textFilters);
    ExpectItemsFollowTheSelection(host, text, kTextListOffer, false);

    ScanHost otherHost;
    COtherListCtrl other;
    other.SubclassWindow(otherHost.List());
    FilterOptions otherFilters;
    otherFilters.wildcard = "*.json";
    other.StartScan(otherFilters);
    ExpectItemsFollowTheSelection(otherHost, other, kFileListOffer, true);
}

// The Image browser's list: Copy URL's text, and its rows saved in the three
// formats, all of them and a selection, read back against the rows.
TEST_F(ListMenu, CopiesUrlsAndSavesThePictureListInEveryFormat)
{
    CImageListView view;
    view.SubclassWindow(host.List());
    FilterOptions filters;
    filters.typeList = "bmp;gif;png;ico";
    view.StartScan(filters);
    ExpectItemsFollowTheSelection(host, view, kPictureListOffer, true);
    const int rowCount = view.GetItemCount();
    ASSERT_GE(rowCount, 5);

    Select(view, { 0, 1, 3 });
    RowUrls urls;
    ASSERT_TRUE(CopyUrlsToClipboard(host.List(), UrlsOf(view.SelectedRows(), urls)));
    const std::string first = view.Row(1)->SourceEntry()->Entry().url;
    const std::string second = view.Row(3)->SourceEntry()->Entry().url;
    EXPECT_EQ(ClipboardText(), first + "\r\n" + second);
    bool served = false;
    for (const ManifestRow& row :
         ReadManifest(std::string(ZEMA_WIN_MADE_CACHES) + "\\manifest.tsv"))
        served = served || row.url == first;
    EXPECT_TRUE(served) << first;

    const std::string folder = tree.AddFolder("saved");
    const HWND owner = ::GetParent(host.List());
    struct Case {
        std::vector<const CacheItem*> rows;
        ReportFormat format;
        const char* file;
    };
    const std::vector<const CacheItem*> all = AllRows(view);
    const std::vector<const CacheItem*> selected = view.SelectedRows();
    const Case cases[] = {
        { all, ReportFormat::Csv, "all.csv" },   { selected, ReportFormat::Csv, "selected.csv" },
        { all, ReportFormat::Text, "all.txt" },  { selected, ReportFormat::Text, "selected.txt" },
        { all, ReportFormat::Html, "all.html" }, { selected, ReportFormat::Html, "selected.html" }
    };
    for (const Case& each : cases) {
        const std::string target = folder + "\\" + each.file;
        tree.AddFile(std::string("saved\\") + each.file, "an older file of that name");
        ListReport report;
        report.rows = each.rows;
        report.format = each.format;
        report.kind = kPictureListOffer.reportKind;
        report.title = "Images";
        report.thumbnail = [&view](const CacheItem& row) { return view.ThumbnailPng(row); };
        ASSERT_EQ(WriteListReportAnswering(owner, report, target, nullptr),
                  ListReportResult::Written)
            << each.file;
        if (each.format == ReportFormat::Html) {
            const std::string page = ReadWholeFile(target);
            size_t thumbnails = 0;
            for (size_t at = page.find("data:image/png;base64,"); at != std::string::npos;
                 at = page.find("data:image/png;base64,", at + 1))
                ++thumbnails;
            EXPECT_EQ(thumbnails, each.rows.size()) << each.file;
            for (const CacheItem* row : each.rows)
                EXPECT_NE(page.find(FileNamePart(row->path)), std::string::npos) << row->path;
            continue;
        }
        const ReportRecords records = ReadBack(target, each.format);
        ASSERT_EQ(records.size(), each.rows.size() + 1) << each.file;
        EXPECT_EQ(records[0].front(), "Name");
        EXPECT_EQ(records[0].back(), "Height");
        for (size_t i = 0; i < each.rows.size(); ++i) {
            const CacheItem& row = *each.rows[i];
            const std::vector<std::string>& record = records[i + 1];
            ASSERT_EQ(record.size(), records[0].size());
            EXPECT_EQ(record[0], FileNamePart(row.path));
            const auto& picture = static_cast<const ImageItem&>(row);
            EXPECT_EQ(record[record.size() - 2], std::to_string(picture.width));
            EXPECT_EQ(record.back(), std::to_string(picture.height));
            if (const std::shared_ptr<const CachedEntry> entry = row.SourceEntry()) {
                EXPECT_EQ(record[1], entry->Entry().url);
                EXPECT_EQ(record[3], entry->Cache().name);
                EXPECT_EQ(record[7], std::to_string(entry->DecodedSize()));
                EXPECT_EQ(record[8].size(), 20u) << record[8];  // "2026-12-09T14:02:31Z"
            } else {
                EXPECT_EQ(record[1], "");
                EXPECT_EQ(record[3], "Internet Explorer");
                EXPECT_EQ(record[7], "70");  // the grey bitmap's bytes
            }
        }
    }
    std::vector<std::string> left = FilesIn(folder);
    EXPECT_EQ(left.size(), std::size(cases)) << "a temporary file stayed behind";
}

// The popup menu TrackPopupMenu shows, while it shows.
HMENU ShownPopupMenu()
{
    HWND popup = ::FindWindowA("#32768", nullptr);
    return popup && ::IsWindowVisible(popup)
               ? reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0))
               : nullptr;
}

bool ItemEnabled(HMENU menu, UINT command)
{
    const UINT state = ::GetMenuState(menu, command, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

// The Other-files browser itself: the keyboard's menu at the selected entry,
// its items as the selection says, Copy URL chosen by its mnemonic, and
// Ctrl+A selecting every row.
TEST_F(ListMenu, TheBrowsersMenuOpensFromTheKeyboardAndCopiesTheUrl)
{
    COtherBrowserDlg browser;
    ModalScript script;
    HWND list = nullptr;
    std::string url;
    auto entries = [&] { return static_cast<CCacheListCtrl*>(CWnd::FromHandlePermanent(list)); };
    ::OpenClipboard(nullptr);
    ::EmptyClipboard();
    ::CloseClipboard();
    script
        .WaitFor("the Options dialog",
                 [&] {
                     HWND options = ::FindWindowA("#32770", "Options");
                     if (!options)
                         return false;
                     ::SetDlgItemTextA(options, IDC_WILDCARD, "*.json");
                     return ::PostMessageA(options, WM_COMMAND, IDOK, 0) != FALSE;
                 })
        .WaitFor("the rows",
                 [&] {
                     list = script.Item(IDC_BROWSER_LIST);
                     return ::FindWindowA("#32770", "Options") == nullptr && entries() &&
                            !entries()->IsRunning() && entries()->GetItemCount() > 2;
                 })
        .Do([&] {
            ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            url = entries()->Row(1)->SourceEntry()->Entry().url;
            ::PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
        })
        .WaitFor("the menu",
                 [&] {
                     HMENU menu = ShownPopupMenu();
                     if (!menu)
                         return false;
                     EXPECT_TRUE(ItemEnabled(menu, ID_LIST_OPEN));
                     EXPECT_TRUE(ItemEnabled(menu, ID_LIST_COPY_URL));
                     EXPECT_TRUE(ItemEnabled(menu, IDC_DRILL));
                     ::PostMessageA(::FindWindowA("#32768", nullptr), WM_CHAR, 'u', 0);
                     return true;
                 })
        .WaitFor("the URL on the clipboard", [&] { return ClipboardText() == url; })
        .Do([&] {
            BYTE keys[256];
            ::GetKeyboardState(keys);
            const BYTE control = keys[VK_CONTROL];
            keys[VK_CONTROL] = 0x80;
            ::SetKeyboardState(keys);
            ::SendMessageA(list, WM_KEYDOWN, 'A', 0);
            keys[VK_CONTROL] = control;
            ::SetKeyboardState(keys);
            EXPECT_EQ(static_cast<int>(entries()->GetSelectedCount()), entries()->GetItemCount());
            ::PostMessageA(script.Dialog(), WM_COMMAND, IDCANCEL, 0);
        })
        .UntilClosed("the browser closing");
    EXPECT_EQ(script.Run(browser), IDCANCEL);
    EXPECT_FALSE(url.empty());
}

// Rows made in memory, as many as a test needs, of one cache.
class MadeRows {
public:
    void Add(const std::string& name, const std::string& url)
    {
        auto row = std::unique_ptr<EntryFileItem>(new EntryFileItem);
        lstrcpynA(row->path, name.c_str(), MAX_PATH);
        row->iconIndex = -1;
        CacheEntry entry;
        entry.url = url;
        entry.contentType = "text/plain";
        entry.storedSize = 1000 + m_rows.size();
        entry.responseTime = 13'400'000'000'000'000LL + static_cast<int64_t>(m_rows.size());
        row->entry = std::make_shared<CachedEntry>(m_cache, entry, entry.storedSize);
        m_rows.push_back(std::move(row));
    }
    ListReport Report(ReportFormat format) const
    {
        ListReport report;
        for (const auto& row : m_rows)
            report.rows.push_back(row.get());
        report.format = format;
        report.kind = ReportKind::Files;
        report.title = "Other files";
        return report;
    }

private:
    std::shared_ptr<const ChosenCache> m_cache = std::make_shared<const ChosenCache>(
        ChosenCache{ "Chrome (Default)", "C:\\nowhere", CacheSourceKind::BrowserCache, false });
    std::vector<std::unique_ptr<EntryFileItem>> m_rows;
};

TEST(SaveList, AHostileNameAndUrlSurviveEveryFormatInert)
{
    const std::string name = "say \"hi\", then\r\nbreak <script>alert(1)</script>\t&amp;.txt";
    const std::string url = "javascript:alert(\"x\")//,<script>alert(2)</script>";
    MadeRows rows;
    rows.Add(name, url);
    rows.Add("plain.txt", "https://example.test/a?b=1,2&c=3");
    TempTree tree;
    for (ReportFormat format : { ReportFormat::Csv, ReportFormat::Text, ReportFormat::Html }) {
        const std::string target = tree.Root() + "\\hostile.out";
        ASSERT_EQ(WriteListReportAnswering(nullptr, rows.Report(format), target, nullptr),
                  ListReportResult::Written);
        if (format == ReportFormat::Html) {
            const std::string page = ReadWholeFile(target);
            EXPECT_EQ(page.find("<script>alert"), std::string::npos);
            EXPECT_EQ(page.find("href=\"javascript:"), std::string::npos);
            EXPECT_NE(page.find("&lt;script&gt;alert(1)"), std::string::npos);
            EXPECT_NE(page.find("href=\"https://example.test/a?b=1,2&amp;c=3\""),
                      std::string::npos);
            continue;
        }
        const ReportRecords records = ReadBack(target, format);
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[1][0], name);
        EXPECT_EQ(records[1][1], url);
        EXPECT_EQ(records[2][1], "https://example.test/a?b=1,2&c=3");
    }
}

// 100,000 rows saved while another thread keeps asking the owner window for
// an answer; then a Cancel at the first progress leaves the older file.
TEST(SaveList, SavesAHundredThousandRowsWhileTheWindowAnswers)
{
    MadeRows rows;
    for (int i = 0; i < 100000; ++i)
        rows.Add("row" + std::to_string(i) + ".js", "https://example.test/s/" + std::to_string(i));
    ScanHost host;
    const HWND owner = ::GetParent(host.List());
    TempTree tree;
    const std::string target = tree.AddFile("list.csv", "older");

    std::atomic<bool> saving{ true }, askerEnded{ false };
    std::atomic<long long> slowest{ 0 };
    std::atomic<int> answers{ 0 };
    std::thread asker([&] {
        while (saving) {
            const auto start = std::chrono::steady_clock::now();
            DWORD_PTR result = 0;
            if (::SendMessageTimeoutA(owner, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result))
                ++answers;
            const long long took = std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - start)
                                       .count();
            if (took > slowest)
                slowest = took;
            ::Sleep(20);
        }
        askerEnded = true;
    });
    size_t ticks = 0;
    const auto start = std::chrono::steady_clock::now();
    const ListReportResult result = WriteListReportAnswering(
        owner, rows.Report(ReportFormat::Csv), target, [&](size_t) { return ++ticks > 0; });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Answered until the asker has ended: a question it sent as the save
    // ended must not wait for a thread blocked in join.
    saving = false;
    host.PumpUntil([&] { return askerEnded.load(); }, 15000);
    asker.join();
    ASSERT_EQ(result, ListReportResult::Written);
    std::printf("100000 rows as CSV in %.2f s; the window answered %d times, slowest %lld ms\n",
                seconds, answers.load(), slowest.load());
    EXPECT_LT(seconds, 20.0);
    EXPECT_GT(answers.load(), 0);
    EXPECT_LT(slowest.load(), 1000);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    const ReportRecords records = ReadBack(target, ReportFormat::Csv);
    ASSERT_EQ(records.size(), 100001u);
    EXPECT_EQ(records[100000][0], "row99999.js");

    const std::string kept = ReadWholeFile(target);
    const ListReportResult cancelled = WriteListReportAnswering(
        owner, rows.Report(ReportFormat::Html), target, [](size_t) { return false; });
    EXPECT_EQ(cancelled, ListReportResult::Stopped);
    EXPECT_TRUE(ReadWholeFile(target) == kept);
    EXPECT_EQ(FilesIn(tree.Root()), std::vector<std::string>{ "list.csv" });
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK CheckChild(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (::GetDlgCtrlID(child) != search->id)
        return TRUE;
    search->found = child;
    return FALSE;
}

// A control anywhere under the window: the save dialog's own, or one of the
// template's, which sits in a child dialog of its own.
HWND ChildWithId(HWND parent, int id)
{
    ChildSearch search = { id, nullptr };
    ::EnumChildWindows(parent, CheckChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The save dialog as a user fills it, from another thread while it runs: a
// name ending ".html", the selected-rows box cleared, Save.
TEST(SaveList, TheDialogNamesTheFileItsFormatAndTheRows)
{
    TempTree tree;
    const std::string typed = tree.Root() + "\\report.html";
    std::atomic<bool> filled{ false };
    std::string missing;
    std::thread user([&] {
        // The dialog shows before its controls are made and set up.
        HWND dialog = nullptr;
        for (int tries = 0; tries < 200; ++tries, ::Sleep(50)) {
            dialog = ::FindWindowA("#32770", "Save List");
            HWND box = dialog ? ChildWithId(dialog, IDC_SAVE_SELECTED_ROWS) : nullptr;
            if (box && ::IsWindowVisible(dialog) &&
                ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED)
                break;
        }
        if (!dialog) {
            missing = "dialog";
            return;
        }
        const HWND types = ChildWithId(dialog, cmb1);
        const HWND box = ChildWithId(dialog, IDC_SAVE_SELECTED_ROWS);
        HWND name = ChildWithId(dialog, cmb13);
        if (!name)
            name = ChildWithId(dialog, edt1);
        missing =
            std::string(types ? "" : " types") + (box ? "" : " box") + (name ? "" : " name") +
            (box && ::SendMessageA(box, BM_GETCHECK, 0, 0) != BST_CHECKED ? " unchecked" : "");
        if (!missing.empty()) {
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        ::SendMessageA(box, BM_CLICK, 0, 0);
        ::SetWindowTextA(name, typed.c_str());
        filled = true;
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    SaveListChoice choice;
    const bool chosen = ChooseListReport(nullptr, 3, choice);
    user.join();
    ASSERT_TRUE(filled) << "missing:" << missing;
    ASSERT_TRUE(chosen);
    EXPECT_EQ(choice.target, typed);
    EXPECT_EQ(choice.format, ReportFormat::Html);
    EXPECT_FALSE(choice.selectedOnly);
}

}  // namespace
