// The Text and Other-files scans over caches that real browsers wrote in this
// run, placed where Chrome, Edge, Brave and Firefox keep theirs, beside a
// WinINet file: the entries each lists after the file, the search in decoded
// bodies, the content pane, the rows' icons, copies and sources.
#include "browser/copy_files.h"
#include "files/content_pane.h"
#include "files/other_list_ctrl.h"
#include "files/text_list_ctrl.h"
#include "tests/common/served_manifest.h"
#include "tests/win/placed_caches.h"
#include "tests/win/scan_host.h"
#include "tests/win/temp_tree.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string Made(const std::string& relative)
{
    return std::string(ZEMA_WIN_MADE_CACHES) + "\\" + relative;
}

// The last segment of a URL's path, as the row names it (this site's text
// names need no escaping and carry their extensions).
std::string LastSegment(const std::string& url)
{
    const std::string path = url.substr(0, url.find('?'));
    return path.substr(path.rfind('/') + 1);
}

bool Succeeded(const ManifestRow& row)
{
    return row.status.size() == 3 && row.status[0] == '2';
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// The served responses of every cache that pass the test, by row name.
template <class Test> std::vector<std::string> ServedNames(Test passes)
{
    std::vector<std::string> names;
    for (const ManifestRow& row : ReadManifest(Made("manifest.tsv")))
        if (Succeeded(row) && passes(row))
            names.push_back(LastSegment(row.url));
    return Sorted(names);
}

const ManifestRow* ServedRow(const std::string& url)
{
    static const std::vector<ManifestRow> rows = ReadManifest(Made("manifest.tsv"));
    for (const ManifestRow& row : rows)
        if (row.url == url && Succeeded(row))
            return &row;
    return nullptr;
}

bool HasExtensionIn(const std::string& name, const std::string& list)
{
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && list.find(name.substr(dot + 1)) != std::string::npos;
}

int RowIcon(CListCtrl& list, int index)
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    return list.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.iImage : -2;
}

template <class List> class EntryFileScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(caches.AllPlaced());
        list.SubclassWindow(host.List());
        tree.AddFile("wininet\\AB12CD34\\winfile.txt",
                     "document.title += ' /script/app-file.js';\r\n");
    }
    // The rows after the WinINet file, which comes first, sorted.
    std::vector<std::string> EntryRows(FilterOptions filters)
    {
        list.StartScan(filters);
        EXPECT_TRUE(host.PumpUntil([&] { return !list.IsRunning(); }, 60000));
        std::vector<std::string> rows = RowTexts(list);
        EXPECT_FALSE(rows.empty());
        if (rows.empty())
            return rows;
        EXPECT_EQ(rows.front(), "winfile.txt") << "the WinINet files come first";
        rows.erase(rows.begin());
        return Sorted(rows);
    }
    int RowNamed(const std::string& name)
    {
        for (int i = 0; i < list.GetItemCount(); ++i)
            if (name == FileNamePart(list.Row(i)->path))
                return i;
        return -1;
    }

    PlacedBrowserCaches caches{ ZEMA_MADE_CACHES };
    TempTree tree;
    CacheFolderOverride cache{ tree.Root() + "\\wininet" };
    ScanHost host;
    List list;
};

using TextEntries = EntryFileScan<CTextListCtrl>;
using OtherEntries = EntryFileScan<COtherListCtrl>;

// The type list on the row names: every text response of each cache, none of
// the pictures, redirects, errors or ranges; an entry's icon is its name's
// type's, as a file's is.
TEST_F(TextEntries, ListsTheTextResponsesOfEveryCacheWithTheirTypesIcons)
{
    const std::string types = "txt;html;js;css;json";
    FilterOptions filters;
    filters.typeList = types.c_str();
    std::vector<std::string> expected = ServedNames(
        [&](const ManifestRow& row) { return HasExtensionIn(LastSegment(row.url), types); });
    ASSERT_EQ(expected.size(), 4u * 16u) << "sixteen texts in each of the four caches";
    EXPECT_EQ(EntryRows(filters), expected);

    const int file = RowNamed("winfile.txt");
    const int entry = RowNamed("notes-br.txt");
    ASSERT_GE(entry, 0);
    EXPECT_GE(RowIcon(list, file), 0);
    EXPECT_EQ(RowIcon(list, entry), RowIcon(list, file));
}

// A text only the compressed scripts hold (gzip, br and zstd, in each cache),
// found without regard to case; the pane shows the decoded body with the hit
// selected, and a copy is the body the server sent.
TEST_F(TextEntries, SearchesShowsAndCopiesTheDecodedBodies)
{
    const char searchText[] = "TITLE += ' /script/APP-";
    FilterOptions filters;
    filters.typeList = "js;txt";
    filters.searchText = searchText;
    std::vector<std::string> expected = ServedNames([&](const ManifestRow& row) {
        return ::StrStrIA(ReadWholeFile(Made(row.body)).c_str(), searchText) != nullptr;
    });
    const std::vector<std::string> compressed = { "app-br.js",   "app-br.js",   "app-br.js",
                                                  "app-br.js",   "app-gzip.js", "app-gzip.js",
                                                  "app-gzip.js", "app-gzip.js", "app-zstd.js",
                                                  "app-zstd.js", "app-zstd.js", "app-zstd.js" };
    ASSERT_EQ(expected, compressed) << "the search text is in the compressed bodies alone";
    EXPECT_EQ(EntryRows(filters), expected);

    const int index = RowNamed("app-zstd.js");
    ASSERT_GE(index, 0);
    const CacheItem* row = list.Row(index);
    const ManifestRow* served = ServedRow(row->Label());
    ASSERT_NE(served, nullptr) << row->Label();
    ASSERT_EQ(served->contentEncoding, "zstd");
    const std::string body = ReadWholeFile(Made(served->body));

    HWND edit =
        ::CreateWindowA("EDIT", "",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                            ES_AUTOVSCROLL | ES_NOHIDESEL,
                        0, 0, 300, 120, ::GetParent(host.List()), nullptr, nullptr, nullptr);
    {
        CContentPane pane;
        ASSERT_TRUE(pane.SubclassWindow(edit));
        pane.Show(row, list.SearchText());
        ASSERT_TRUE(host.PumpUntil([&] { return !pane.IsReading(); }, 10000));
        CString shown;
        pane.GetWindowText(shown);
        EXPECT_TRUE(body == static_cast<LPCSTR>(shown)) << shown.GetLength() << " bytes shown";
        const DWORD hit = static_cast<DWORD>(body.find("title += ' /script/app-"));
        EXPECT_EQ(static_cast<DWORD>(pane.SendMessage(EM_GETSEL)),
                  static_cast<DWORD>(MAKELONG(hit, hit + sizeof searchText - 1)));
        pane.Show(static_cast<const CacheItem*>(nullptr), searchText);
        pane.GetWindowText(shown);
        EXPECT_TRUE(shown.IsEmpty());
    }
    ::DestroyWindow(edit);

    std::string copies = tree.AddFolder("copies");
    EXPECT_TRUE(CopyToFolder(nullptr, CopySourcesOf({ row }), copies.c_str()).empty());
    EXPECT_TRUE(ReadWholeFile(copies + "\\app-zstd.js") == body);
}

// The wildcard on the row names, as the folder search applies it to a file
// name: the JSON responses of each cache, whatever their coding; the WinINet
// file it also matches comes first. Drill's source is the entry's URL; a copy
// and the file a double-click opens hold the body the server sent.
TEST_F(OtherEntries, ListsTheEntriesWhoseNamesMatchTheWildcard)
{
    tree.AddFile("wininet\\AB12CD34\\winfile.JSON", "{}");
    FilterOptions filters;
    filters.wildcard = "*.json";
    list.StartScan(filters);
    ASSERT_TRUE(host.PumpUntil([&] { return !list.IsRunning(); }, 60000));
    std::vector<std::string> rows = RowTexts(list);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), "winfile.JSON");
    rows.erase(rows.begin());
    std::vector<std::string> expected = ServedNames([](const ManifestRow& row) {
        const std::string name = LastSegment(row.url);
        return name.size() > 5 && name.compare(name.size() - 5, 5, ".json") == 0;
    });
    ASSERT_EQ(expected.size(), 12u);
    EXPECT_EQ(Sorted(rows), expected);

    const int index = RowNamed("list-br.json");
    const CacheItem* row = list.Row(index);
    ASSERT_NE(row, nullptr);
    std::string description, url;
    ASSERT_TRUE(row->KnownSource(description, url));
    const ManifestRow* served = ServedRow(url);
    ASSERT_NE(served, nullptr) << url;
    EXPECT_NE(description.find("application/json"), std::string::npos) << description;
    EXPECT_NE(description.find(served->site), std::string::npos) << description;
    std::string copies = tree.AddFolder("copies");
    EXPECT_TRUE(CopyToFolder(nullptr, CopySourcesOf({ row }), copies.c_str()).empty());
    const std::string body = ReadWholeFile(Made(served->body));
    EXPECT_TRUE(ReadWholeFile(copies + "\\list-br.json") == body);

    // What a double-click hands the default program: the decoded body as a
    // file of the row's name.
    ListView_SetItemState(host.List(), index, LVIS_SELECTED, LVIS_SELECTED);
    const std::string opened = list.SelectedRowFile();
    EXPECT_EQ(opened.substr(opened.rfind('\\') + 1), "list-br.json");
    EXPECT_TRUE(ReadWholeFile(opened) == body);
}

}  // namespace
