// The Caches window on caches real browsers wrote, placed where Edge, Chrome
// and Firefox keep theirs under this prefix's local application data: its
// rows and their counts, a locked cache reported in its row, a folder added
// and one refused, an unchecked cache, and the choice read back by a new
// window and by the scan's side.
#include "tests/win/modal_driver.h"
#include "tests/win/placed_caches.h"
#include "tests/common/served_manifest.h"
#include "tests/win/program_run.h"
#include "tests/win/temp_tree.h"
#include "res/resource.h"
#include "sources/caches_dlg.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>

#include <deque>
#include <string>

namespace {

// The committed caches, as the host's shell copies them.
const std::string kSmall = ZEMA_SMALL_CACHES;

const char kEdge[] = "Edge (Default)";
const char kChrome[] = "Chrome (Default)";
const char kFirefox[] = "Firefox (x1y2.default-release)";
const char kAdded[] = "Added (copied-sql)";

// The window under test, given the folders "chosen" in Add Folder... in turn.
class CTestCachesDlg : public CCachesDlg {
public:
    std::deque<std::string> folders;

protected:
    bool AskForCacheFolder(std::string& folder) override
    {
        if (folders.empty())
            return false;
        folder = folders.front();
        folders.pop_front();
        return true;
    }
};

std::string Cell(HWND list, int row, int column)
{
    char text[512] = {};
    ListView_GetItemText(list, row, column, text, sizeof(text));
    return text;
}

int RowNamed(HWND list, const std::string& name)
{
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        if (Cell(list, row, 0) == name)
            return row;
    return -1;
}

bool AllCounted(HWND list)
{
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        if (Cell(list, row, 2) == "counting...")
            return false;
    return ListView_GetItemCount(list) > 0;
}

void Select(HWND list, int row)
{
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool Checked(HWND list, const std::string& name)
{
    int row = RowNamed(list, name);
    return row >= 0 && ListView_GetCheckState(list, row) != 0;
}

class CachesWindow : public testing::Test {
protected:
    void SetUp() override
    {
        m_local = LocalAppData();
        ASSERT_FALSE(m_local.empty());
        m_edge = m_local + "\\Microsoft\\Edge";
        m_chrome = m_local + "\\Google";
        m_firefox = m_local + "\\Mozilla";
        ASSERT_TRUE(PlaceCache(kSmall + "/chromium-simple",
                               m_edge + "\\User Data\\Default\\Cache\\Cache_Data"));
        ASSERT_TRUE(PlaceCache(kSmall + "/chromium-blockfile",
                               m_chrome + "\\Chrome\\User Data\\Default\\Cache\\Cache_Data"));
        ASSERT_TRUE(PlaceCache(kSmall + "/firefox",
                               m_firefox + "\\Firefox\\Profiles\\x1y2.default-release\\cache2"));
        m_added = m_tree.Root() + "\\copied-sql";
        ASSERT_TRUE(PlaceCache(kSmall + "/chromium-sql", m_added));
        m_notCache = m_tree.AddFolder("holiday pictures");
        m_tree.AddFile("holiday pictures\\beach.jpg");
        m_tree.AddFile("inet\\Content.IE5\\A1B2C3D4\\logo[1].gif");
        m_tree.AddFile("inet\\Content.IE5\\A1B2C3D4\\page[1].htm");
        m_tree.AddFile("inet\\Content.IE5\\index.dat");
    }
    void TearDown() override
    {
        RemoveTree(m_edge);
        RemoveTree(m_chrome);
        RemoveTree(m_firefox);
    }
    CacheChoiceReset m_choice;
    std::string m_local, m_edge, m_chrome, m_firefox, m_added, m_notCache;
    TempTree m_tree;
};

}  // namespace

TEST_F(CachesWindow, ListsCountsAndKeepsTheChoice)
{
    CacheFolderOverride inet(m_tree.Root() + "\\inet");
    // A browser running at the same time holds its index without sharing.
    std::string lockedIndex = m_chrome + "\\Chrome\\User Data\\Default\\Cache\\Cache_Data\\index";
    HANDLE lock = ::CreateFileA(lockedIndex.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    CTestCachesDlg first;
    first.folders = { m_notCache, m_added, m_added };
    ModalScript script;
    auto list = [&script] { return script.Item(IDC_CACHES_LIST); };
    std::string refusal = "No cache in this folder.\r\n\r\nChoose a folder a browser keeps its "
                          "cache in (such as Cache_Data or cache2) or an Internet cache folder.";
    script.WaitFor("every row counted", [&] { return AllCounted(list()); })
        .Do([&] {
            HWND rows = list();
            ASSERT_EQ(ListView_GetItemCount(rows), 4);
            struct Expected {
                const char* name;
                const char* format;
                const char* entries;
            };
            const Expected expected[] = {
                { "Internet Explorer", "WinINet", "3" },
                { kEdge, "Chromium simple", "9" },
                { kChrome, "", "locked by another program (index)" },
                { kFirefox, "Firefox cache2", "8" },
            };
            for (int row = 0; row < 4; ++row) {
                EXPECT_EQ(Cell(rows, row, 0), expected[row].name);
                EXPECT_EQ(Cell(rows, row, 1), expected[row].format) << expected[row].name;
                EXPECT_EQ(Cell(rows, row, 2), expected[row].entries) << expected[row].name;
                EXPECT_TRUE(ListView_GetCheckState(rows, row)) << expected[row].name;
            }
            EXPECT_EQ(Cell(rows, 0, 3), m_tree.Root() + "\\inet");
            EXPECT_EQ(Cell(rows, 1, 3), m_edge + "\\User Data\\Default\\Cache\\Cache_Data");
            Select(rows, 1);
            EXPECT_FALSE(::IsWindowEnabled(script.Item(IDC_REMOVE_CACHE_FOLDER)));
            ListView_SetCheckState(rows, RowNamed(rows, kFirefox), FALSE);
        })
        .Do(steps::Click(script, IDC_ADD_CACHE_FOLDER))
        .WaitFor("the refusal", steps::DismissBox(script, refusal, IDI_INFORMATION))
        .WaitFor("the box gone", steps::BoxGone(script))
        .Do(steps::Click(script, IDC_ADD_CACHE_FOLDER))
        .WaitFor("the added folder counted",
                 [&] {
                     int row = RowNamed(list(), kAdded);
                     return row >= 0 && Cell(list(), row, 2) == "9";
                 })
        .Do([&] {
            int row = RowNamed(list(), kAdded);
            EXPECT_EQ(Cell(list(), row, 1), "Chromium SQL");
            EXPECT_EQ(Cell(list(), row, 3), m_added);
            EXPECT_TRUE(ListView_GetCheckState(list(), row));
            Select(list(), row);
            EXPECT_TRUE(::IsWindowEnabled(script.Item(IDC_REMOVE_CACHE_FOLDER)));
        })
        .Do(steps::Click(script, IDC_ADD_CACHE_FOLDER))
        .WaitFor("listed already",
                 steps::DismissBox(script, CCachesDlg::alreadyListedText, IDI_INFORMATION))
        .WaitFor("the box gone", steps::BoxGone(script))
        .Do(steps::Click(script, IDOK))
        .UntilClosed("OK closes the window");
    EXPECT_EQ(script.Run(first), IDOK);
    ::CloseHandle(lock);

    // What the scan will read: the choice as kept.
    CCacheChoice kept;
    kept.Load();
    std::vector<std::string> checked;
    for (const ChosenCache& cache : kept.CheckedCaches())
        checked.push_back(cache.name);
    EXPECT_EQ(checked, (std::vector<std::string>{ "Internet Explorer", kEdge, kChrome, kAdded }));

    // A new window shows the same choice; Remove takes the added folder off,
    // Cancel forgets that.
    CTestCachesDlg second;
    ModalScript again;
    auto rows = [&again] { return again.Item(IDC_CACHES_LIST); };
    again.WaitFor("every row counted", [&] { return AllCounted(rows()); })
        .Do([&] {
            EXPECT_EQ(ListView_GetItemCount(rows()), 5);
            EXPECT_FALSE(Checked(rows(), kFirefox));
            EXPECT_TRUE(Checked(rows(), kAdded));
            EXPECT_TRUE(Checked(rows(), kChrome));
            EXPECT_EQ(Cell(rows(), RowNamed(rows(), kChrome), 2), "9");  // no longer locked
            Select(rows(), RowNamed(rows(), kAdded));
        })
        .Do(steps::Click(again, IDC_REMOVE_CACHE_FOLDER))
        .WaitFor("the added row gone", [&] { return RowNamed(rows(), kAdded) < 0; })
        .Do(steps::Click(again, IDCANCEL))
        .UntilClosed("Cancel closes the window");
    EXPECT_EQ(again.Run(second), IDCANCEL);
    kept.Load();
    EXPECT_EQ(kept.Rows().size(), 5u);
}

namespace {

// cachedump's count of a cache's entries: the "entries=" of its summary line.
std::string CachedumpEntries(const std::string& folder)
{
    TempTree scratch;
    const std::string text =
        RunProgram(ZEMA_CACHEDUMP, "cachedump \"" + folder + "\"", scratch.Root(), 60000).output;
    const size_t summary = text.find("summary\t");
    const size_t entries = text.find("entries=", summary == std::string::npos ? 0 : summary);
    if (summary == std::string::npos || entries == std::string::npos)
        return "";
    return text.substr(entries + 8,
                       text.find_first_not_of("0123456789", entries + 8) - entries - 8);
}

}  // namespace

// The caches this run's browsers wrote, found where Chrome, Edge, Brave and
// Firefox keep them: one row each, named for the browser and profile, with
// the format and as many entries as cachedump lists.
TEST(CachesWindowOnMadeCaches, FindsAndCountsEveryBrowsersCache)
{
    PlacedBrowserCaches caches{ ZEMA_MADE_CACHES };
    ASSERT_TRUE(caches.AllPlaced());
    TempTree tree;
    tree.AddFile("inet\\Content.IE5\\A1B2C3D4\\logo[1].gif");
    CacheFolderOverride inet(tree.Root() + "\\inet");
    CTestCachesDlg window;
    ModalScript script;
    auto list = [&script] { return script.Item(IDC_CACHES_LIST); };
    script.WaitFor("every row counted", [&] { return AllCounted(list()); })
        .Do([&] {
            HWND rows = list();
            EXPECT_EQ(ListView_GetItemCount(rows), static_cast<int>(caches.Caches().size()) + 1)
                << "the Internet cache and the browsers'";
            for (const auto& cache : caches.Caches()) {
                const int row = RowNamed(rows, cache.name);
                ASSERT_GE(row, 0) << cache.name;
                EXPECT_EQ(Cell(rows, row, 3), cache.folder);
                EXPECT_FALSE(Cell(rows, row, 1).empty()) << cache.name;
                const std::string listed = CachedumpEntries(cache.folder);
                ASSERT_FALSE(listed.empty()) << cache.name;
                const std::string counted = Cell(rows, row, 2);
                EXPECT_EQ(counted.substr(0, counted.find(' ')), listed) << cache.name;
                EXPECT_TRUE(ListView_GetCheckState(rows, row)) << cache.name;
            }
        })
        .Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(window), IDCANCEL);
}
