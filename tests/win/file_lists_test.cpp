// The Text and Other-files scans on real folder trees under Wine, and the
// Text browser's content pane: what rows a user sees and what the pane shows.
#include "files/content_pane.h"
#include "files/other_list_ctrl.h"
#include "files/text_file.h"
#include "files/text_list_ctrl.h"
#include "tests/win/scan_host.h"
#include "tests/win/temp_tree.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// A file of the given size whose first bytes are the content; the rest is a
// hole the file system need not store.
std::string AddSparseFile(TempTree& tree, const std::string& name, const std::string& content,
                          uint64_t size)
{
    std::string path = tree.AddFile(name, content);
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD ignored;
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file);
    ::CloseHandle(file);
    return path;
}

void AppendBytes(const std::string& path, char byte, size_t count)
{
    HANDLE file =
        ::CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string block(std::min<size_t>(count, 1u << 20), byte);
    for (size_t left = count; left > 0;) {
        DWORD written = 0;
        DWORD now = static_cast<DWORD>(std::min(left, block.size()));
        if (!::WriteFile(file, block.data(), now, &written, nullptr) || written == 0)
            break;
        left -= written;
    }
    ::CloseHandle(file);
}

template <class List> class FileScan : public ::testing::Test {
protected:
    void SetUp() override { list.SubclassWindow(host.List()); }

    void Scan(const FilterOptions& filters)
    {
        list.StartScan(filters);
        ASSERT_TRUE(host.PumpUntil([&] { return !list.IsRunning(); }, 20000));
    }

    TempTree tree;
    CacheFolderOverride cache{ tree.Root() };
    ScanHost host;
    List list;
};

using TextScan = FileScan<CTextListCtrl>;
using OtherScan = FileScan<COtherListCtrl>;

FilterOptions Search(const char* searchText, const char* typeList = "")
{
    FilterOptions filters;
    filters.searchText = searchText;
    filters.typeList = typeList;
    return filters;
}

FilterOptions Wildcard(const char* wildcard)
{
    FilterOptions filters;
    filters.wildcard = wildcard;
    return filters;
}

TEST_F(TextScan, TheDefaultTypeListIsSearchedAsOneText)
{
    for (const char* name : { "a.ht", "s", "readme", "page.HTML", "notes.txt", "x.doc" })
        tree.AddFile(std::string("AB12\\") + name, "needle");
    tree.AddFile("AB12\\empty.txt", "");
    tree.AddFile(".hidden\\inside.txt", "needle");
    Scan(Search("needle"));
    EXPECT_EQ(Sorted(RowTexts(list)),
              (std::vector<std::string>{ "a.ht", "notes.txt", "page.HTML", "s" }));
}

TEST_F(TextScan, TheContentTestIgnoresCaseAndStopsAtTheFirstNul)
{
    tree.AddFile("upper.txt", "hay HAY NEEDLE hay");
    tree.AddFile("after_nul.txt", std::string("hay\0needle", 10));
    tree.AddFile("starts_nul.txt", std::string("\0needle", 7));
    tree.AddFile("none.txt", "hay only");
    Scan(Search("Needle"));
    EXPECT_EQ(RowTexts(list), std::vector<std::string>{ "upper.txt" });
}

// A file of 4 GiB - 1 bytes would wrap a 32-bit size + 1 to nothing.
TEST_F(TextScan, AFileAboveTheBoundIsSkippedNotRead)
{
    std::string huge = AddSparseFile(tree, "huge.txt", "needle", 0xFFFFFFFFull);
    AddSparseFile(tree, "bound.txt", "needle", maxTextFileSize + 1);
    tree.AddFile("small.txt", "needle");
    Scan(Search("needle"));
    EXPECT_EQ(RowTexts(list), std::vector<std::string>{ "small.txt" });
    EXPECT_FALSE(ReadTextFile(huge.c_str()));
}

TEST_F(TextScan, SelectedPathIsTheLowestSelectedRow)
{
    for (const char* name : { "a.txt", "b.txt", "c.txt" })
        tree.AddFile(name, "needle");
    Scan(Search("needle"));
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_STREQ(list.SelectedPath(), "");
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    for (int row : { 2, 1 })
        list.SendMessage(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    EXPECT_STREQ(list.SelectedPath(), list.Row(1)->path);
}

TEST_F(TextScan, TypingTheStartOfANameMovesToItsRow)
{
    for (const char* name : { "alpha.txt", "beta.txt", "Bravo.txt", "brown.txt" })
        tree.AddFile(name, "needle");
    Scan(Search("needle"));
    std::vector<std::string> rows = RowTexts(list);
    auto focusedName = [&] {
        int focused = list.GetNextItem(-1, LVNI_FOCUSED);
        return focused < 0 ? std::string() : rows[focused];
    };
    list.SetFocus();
    for (char typed : { 'b', 'R', 'a' })
        list.SendMessage(WM_CHAR, typed, 1);
    EXPECT_EQ(focusedName(), "Bravo.txt");
    list.SendMessage(WM_CHAR, 'x', 1);
    EXPECT_EQ(focusedName(), "Bravo.txt") << "no name begins with the text: the row stays";
}

TEST_F(OtherScan, TheWildcardMatchesNamesOnlyAndSubfoldersComeFirst)
{
    tree.AddFile("top.pdf", "%PDF");
    tree.AddFile("A\\report[1].pdf", "%PDF");
    tree.AddFile("B\\REPORT[2].PDF", "%PDF");
    tree.AddFile("B\\empty.pdf", "");
    tree.AddFile("B\\notes.txt", "text");
    tree.AddFolder("C\\folder.pdf");
    Scan(Wildcard("*.pdf"));
    std::vector<std::string> rows = RowTexts(list);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.back(), "top.pdf") << "a folder's own files after its subfolders'";
    EXPECT_EQ(Sorted(rows),
              (std::vector<std::string>{ "REPORT[2].PDF", "report[1].pdf", "top.pdf" }));
}

// Links inside the cache lead to the cache itself, its parent and a folder
// outside it: followed, the walk would never end or would list files that are
// not the cache's under paths of the cache.
TEST_F(TextScan, TheWalkFollowsNoLink)
{
    TempTree outside;
    outside.AddFile("outside.txt", "needle");
    tree.AddFile("AB12\\inside.txt", "needle");
    ASSERT_TRUE(tree.AddLink("self", tree.Root()));
    ASSERT_TRUE(tree.AddLink("AB12\\up", tree.Root()));
    ASSERT_TRUE(tree.AddLink("out", outside.Root()));
    Scan(Search("needle"));
    ASSERT_EQ(RowTexts(list), std::vector<std::string>{ "inside.txt" });
    EXPECT_EQ(list.Row(0)->path, tree.Root() + "\\AB12\\inside.txt");
}

// The Options dialog refuses such patterns; the list does not trust that.
TEST_F(OtherScan, APatternWithAPathPartListsNothing)
{
    tree.AddFile("parent.pdf", "%PDF");
    CacheFolderOverride child{ tree.AddFolder("cache") };
    tree.AddFile("cache\\doc.pdf", "%PDF");
    Scan(Wildcard("..\\*.pdf"));
    EXPECT_EQ(list.GetItemCount(), 0);
}

// A flat folder lists at the rate of the same files spread over folders: no
// step of a row may cost time that grows with the size of its folder.
class FolderRate : public ::testing::Test {
protected:
    // Milliseconds to list the files, laid out perFolder to a folder.
    DWORD ListingTime(int files, int perFolder)
    {
        TempTree tree;
        CacheFolderOverride cache{ tree.Root() };
        for (int folder = 0; folder * perFolder < files; ++folder) {
            std::string path = tree.AddFolder("F" + std::to_string(folder));
            for (int i = 0; i < perFolder && folder * perFolder + i < files; ++i)
                CreateEmptyish(path + "\\f" + std::to_string(i) + ".pdf");
        }
        ScanHost host;
        COtherListCtrl list;
        list.SubclassWindow(host.List());
        DWORD start = ::GetTickCount();
        list.StartScan(Wildcard("*.pdf"));
        EXPECT_TRUE(host.PumpUntil([&] { return !list.IsRunning(); }, 60000));
        EXPECT_EQ(list.GetItemCount(), files);
        return ::GetTickCount() - start;
    }

    static void CreateEmptyish(const std::string& path)
    {
        HANDLE file =
            ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        ::WriteFile(file, "%PDF", 4, &written, nullptr);
        ::CloseHandle(file);
    }
};

TEST_F(FolderRate, AFlatFolderListsAsFastAsSpreadOne)
{
    const int files = 2000;
    DWORD spread = ListingTime(files, 100);
    DWORD flat = ListingTime(files, files);
    std::printf("%d files: %lu ms in folders of 100, %lu ms in one folder\n", files,
                static_cast<unsigned long>(spread), static_cast<unsigned long>(flat));
    EXPECT_LT(flat, 2 * spread + 1000);
}

// Pauses the scan as its first row arrives, as a user pressing Pause would.
class CPausingOtherList : public COtherListCtrl {
protected:
    LRESULT OnSetItemCount(WPARAM, LPARAM)
    {
        SetPaused(true);
        return Default();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPausingOtherList, COtherListCtrl)
    ON_MESSAGE(LVM_SETITEMCOUNT, OnSetItemCount)
END_MESSAGE_MAP()

using PausedOtherScan = FileScan<CPausingOtherList>;

TEST_F(PausedOtherScan, PauseHoldsTheWalkBetweenFoldersAndCloseEndsItWhilePaused)
{
    for (int i = 0; i < 12; ++i)
        tree.AddFile("D" + std::to_string(i) + "\\f.pdf", "%PDF");
    list.StartScan(Wildcard("*.pdf"));
    ASSERT_TRUE(host.PumpUntil([&] { return list.GetItemCount() == 1; }, 5000));
    host.PumpUntil([] { return false; }, 500);
    EXPECT_EQ(list.GetItemCount(), 1) << "no further folder is walked while paused";
    EXPECT_TRUE(list.IsRunning());

    EXPECT_FALSE(list.RequestStop());
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(host.PumpUntil([&] { return host.CancelsReceived() == 1; }, 2000));
    EXPECT_LT(::GetTickCount() - start, 400u);
    EXPECT_FALSE(list.IsRunning());
    EXPECT_EQ(list.GetItemCount(), 1);
}

class ContentPane : public ::testing::Test {
protected:
    ContentPane()
    {
        m_edit =
            ::CreateWindowA("EDIT", "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                ES_AUTOVSCROLL | ES_NOHIDESEL,
                            0, 0, 300, 120, ::GetParent(host.List()), nullptr, nullptr, nullptr);
        pane.SubclassWindow(m_edit);
    }
    // Shows the file and waits until the pane has read it.
    void Show(const std::string& path, const char* searchText)
    {
        pane.Show(path.c_str(), searchText);
        EXPECT_TRUE(host.PumpUntil([&] { return !pane.IsReading(); }, 10000)) << path;
    }
    DWORD Selection() const { return static_cast<DWORD>(pane.SendMessage(EM_GETSEL)); }
    int FirstVisibleLine() const
    {
        return static_cast<int>(pane.SendMessage(EM_GETFIRSTVISIBLELINE));
    }
    std::string Text() const
    {
        CString text;
        pane.GetWindowText(text);
        return static_cast<LPCSTR>(text);
    }

    TempTree tree;
    ScanHost host;
    CContentPane pane;

private:
    HWND m_edit;
};

TEST_F(ContentPane, AHitAtTheStartIsSelectedWithoutScrolling)
{
    std::string path = tree.AddFile("a.txt", "Needle first\r\nthen hay\r\n");
    Show(path, "needle");
    EXPECT_EQ(Text(), "Needle first\r\nthen hay\r\n");
    EXPECT_EQ(Selection(), MAKELONG(0, 6));
    EXPECT_EQ(FirstVisibleLine(), 0);
}

TEST_F(ContentPane, TheHitsLineBecomesTheFirstVisibleLine)
{
    std::string content;
    for (int line = 0; line < 80; ++line)
        content += line == 40 ? "hay hay NEEDLE hay\r\n" : "hay\r\n";
    std::string path = tree.AddFile("long.txt", content);
    Show(path, "needle");
    DWORD offset = static_cast<DWORD>(content.find("NEEDLE"));
    EXPECT_EQ(Selection(), MAKELONG(offset, offset + 6)) << "exactly the search text's length";
    EXPECT_EQ(FirstVisibleLine(), 40);
}

TEST_F(ContentPane, NothingSelectedOrNothingReadableEmptiesThePane)
{
    std::string path = tree.AddFile("a.txt", "needle");
    Show(path, "needle");
    ASSERT_EQ(Text(), "needle");
    Show("", "needle");
    EXPECT_EQ(Text(), "");

    Show(path, "needle");
    std::string huge = AddSparseFile(tree, "huge.txt", "needle", 0xFFFFFFFFull);
    Show(huge, "needle");
    EXPECT_EQ(Text(), "");
}

// A line of 64 MiB once crashed the edit and a megabyte without spaces held
// the window for good: each is shown in part, promptly, with its hit.
TEST_F(ContentPane, EndlessLinesAreShownInPartAndPromptly)
{
    std::string endless = tree.AddFile("endless.txt", "needle\r\n");
    AppendBytes(endless, 'y', (64u << 20) - 8);
    std::string unbroken = tree.AddFile("unbroken.txt", "");
    AppendBytes(unbroken, 'x', 1u << 20);
    AppendBytes(unbroken, ' ', 1);
    AppendBytes(unbroken, 'N', 1);
    for (const std::string& path : { endless, unbroken }) {
        // The longest the window goes without handling its messages, the
        // reading included.
        DWORD longestHold = 0, last = ::GetTickCount();
        pane.Show(path.c_str(), "n");
        ASSERT_TRUE(host.PumpUntil(
            [&] {
                DWORD now = ::GetTickCount();
                longestHold = std::max(longestHold, now - last);
                last = now;
                return !pane.IsReading();
            },
            10000));
        EXPECT_LT(longestHold, 500u) << path;
        EXPECT_NE(Text().find("[Shown in part: bytes "), std::string::npos) << path;
        DWORD selection = Selection();
        EXPECT_EQ(HIWORD(selection) - LOWORD(selection), 1) << path;
        EXPECT_EQ(Text().substr(LOWORD(selection), 1), path == endless ? "n" : "N") << path;
    }
}

// What the user selected last is shown, whatever an earlier file took to
// read; a file no longer wanted is let go of at once (the pane's end, with
// its window's, stops its reader the same way).
TEST_F(ContentPane, ALaterSelectionStopsTheReaderOfAnEarlierOne)
{
    std::string large = tree.AddFile("large.txt", "");
    AppendBytes(large, 'h', 60u << 20);
    std::string small = tree.AddFile("small.txt", "small needle");
    pane.Show(large.c_str(), "needle");
    Show(small, "needle");
    EXPECT_EQ(Text(), "small needle");
    pane.Show(large.c_str(), "needle");
    DWORD start = ::GetTickCount();
    Show("", "needle");
    EXPECT_LT(::GetTickCount() - start, 200u);
    EXPECT_EQ(Text(), "");
}

}  // namespace
