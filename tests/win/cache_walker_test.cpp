// The cache walk on real folder trees under Wine: order, skipped entries,
// the date test, pausing and stopping, row records and their release.
#include "sources/inet_cache_folder.h"
#include "scan/cache_item.h"
#include "scan/cache_list_ctrl.h"
#include "scan/filter_rules.h"
#include "images/image_category.h"
#include "tests/win/scan_host.h"
#include "tests/win/temp_tree.h"
#include "tests/win/registry_restore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::atomic<int> recordsFreed{ 0 };

// A row record that counts its own release.
struct CountedItem : CacheItem {
    ~CountedItem() override { ++recordsFreed; }
};

// Records what the walk hands to the category stage and appends a row per
// file that passes the date test.
class CRecordingList : public CCacheListCtrl {
public:
    void Start(int32_t dateMode = AnyDate, int32_t dayNumber = 0)
    {
        FilterOptions filters;
        filters.dateMode = dateMode;
        filters.dayNumber = dayNumber;
        StartScan(filters);
    }
    std::vector<std::string> Examined()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_examined;
    }

    std::atomic<int> examineDelayMs{ 0 };
    bool refuseRows = false;

protected:
    void ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry) override
    {
        if (examineDelayMs)
            ::Sleep(static_cast<DWORD>(examineDelayMs.load()));
        if (!PassesDateTest(entry))
            return;
        char path[MAX_PATH];
        if (!BuildPath(path, folder, entry.cFileName))
            return;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_examined.push_back(path);
        }
        std::unique_ptr<CacheItem> item(new CountedItem);
        lstrcpynA(item->path, path, MAX_PATH);
        AppendRow(std::move(item));
    }
    int RowImage(const CacheItem&) override { return -1; }
    LRESULT OnSetItemCount(WPARAM, LPARAM) { return refuseRows ? FALSE : Default(); }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_examined;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingList, CCacheListCtrl)
    ON_MESSAGE(LVM_SETITEMCOUNT, OnSetItemCount)
END_MESSAGE_MAP()

class CacheWalk : public ::testing::Test {
protected:
    void SetUp() override
    {
        recordsFreed = 0;
        list.SubclassWindow(host.List());
    }

    void Scan(int32_t dateMode = AnyDate, int32_t dayNumber = 0)
    {
        list.Start(dateMode, dayNumber);
        ASSERT_TRUE(host.PumpUntil([&] { return !list.IsRunning(); }, 20000));
    }
    std::vector<std::string> ExaminedNames()
    {
        std::vector<std::string> names;
        for (const std::string& path : list.Examined())
            names.push_back(path.substr(tree.Root().size() + 1));
        std::sort(names.begin(), names.end());
        return names;
    }

    TempTree tree;
    CacheFolderOverride cache{ tree.Root() };
    ScanHost host;
    CRecordingList list;
};

TEST_F(CacheWalk, TheCacheFolderFollowsTheShellFolderSetting)
{
    char folder[MAX_PATH];
    ASSERT_TRUE(LocateCacheFolder(folder));
    EXPECT_EQ(lstrcmpiA(folder, tree.Root().c_str()), 0) << folder;
}

TEST_F(CacheWalk, WalksSubfoldersDepthFirstAndSkipsDotFolders)
{
    tree.AddFile("a.gif");
    tree.AddFile("AB12CD34\\logo[1].gif");
    tree.AddFile("AB12CD34\\deeper\\x.png");
    tree.AddFile("ZZ99\\b.jpg");
    tree.AddFile(".hidden\\secret.gif");
    tree.AddFile(".dotfile");
    Scan();
    EXPECT_EQ(ExaminedNames(),
              (std::vector<std::string>{ ".dotfile", "AB12CD34\\deeper\\x.png",
                                         "AB12CD34\\logo[1].gif", "ZZ99\\b.jpg", "a.gif" }));
    // Depth first: the files under one subfolder come one after another.
    std::vector<std::string> order = list.Examined();
    auto under = [&](const std::string& path) {
        return path.find("AB12CD34") != std::string::npos;
    };
    auto first = std::find_if(order.begin(), order.end(), under);
    ASSERT_NE(first, order.end());
    EXPECT_TRUE(under(*(first + 1)));
    EXPECT_EQ(list.GetItemCount(), 5);
    EXPECT_EQ(host.CancelsReceived(), 0) << "a scan that ends by itself posts nothing";
}

TEST_F(CacheWalk, RowsKeepTheirRecordsUntilTheListGoes)
{
    for (int i = 0; i < 7; ++i)
        tree.AddFile("F" + std::to_string(i) + "\\f.txt");
    {
        ScanHost ownHost;
        CRecordingList ownList;
        ownList.SubclassWindow(ownHost.List());
        ownList.Start();
        ASSERT_TRUE(ownHost.PumpUntil([&] { return !ownList.IsRunning(); }, 20000));
        ASSERT_EQ(ownList.GetItemCount(), 7);
        ASSERT_NE(ownList.Row(0), nullptr);
        EXPECT_EQ(::GetFileAttributesA(ownList.Row(0)->path) & FILE_ATTRIBUTE_DIRECTORY, 0u);
        EXPECT_EQ(ownList.Row(7), nullptr);
        EXPECT_EQ(recordsFreed.load(), 0);
    }
    EXPECT_EQ(recordsFreed.load(), 7);
}

TEST_F(CacheWalk, ARecordTheListRefusesIsFreed)
{
    tree.AddFile("one.gif");
    tree.AddFile("two.gif");
    list.refuseRows = true;
    Scan();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.Row(0), nullptr);
    EXPECT_EQ(recordsFreed.load(), 2);
}

TEST_F(CacheWalk, DateModesCompareCalendarDaysOnly)
{
    auto stamp = [&](const char* name, WORD day, WORD hour, WORD minute) {
        TempTree::SetLocalWriteTime(tree.AddFile(name), 2005, 12, day, hour, minute);
    };
    stamp("early.txt", 5, 0, 0);
    stamp("late.txt", 5, 23, 59);
    stamp("before.txt", 4, 23, 59);
    stamp("after.txt", 6, 0, 0);
    const int32_t day = DayNumber(2005, 12, 5);
    using Names = std::vector<std::string>;
    struct Case {
        int32_t mode;
        Names expected;
    };
    const Case cases[] = {
        { Exactly, Names{ "early.txt", "late.txt" } },
        { Before, Names{ "before.txt" } },
        { Since, Names{ "after.txt", "early.txt", "late.txt" } },
        { AnyDate, Names{ "after.txt", "before.txt", "early.txt", "late.txt" } },
        { 7, Names{ "after.txt", "before.txt", "early.txt", "late.txt" } },
    };
    for (const Case& c : cases) {
        ScanHost host2;
        CRecordingList list2;
        list2.SubclassWindow(host2.List());
        list2.Start(c.mode, day);
        ASSERT_TRUE(host2.PumpUntil([&] { return !list2.IsRunning(); }, 20000));
        Names names;
        for (const std::string& path : list2.Examined())
            names.push_back(path.substr(tree.Root().size() + 1));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.expected) << "mode " << c.mode;
    }
}

TEST_F(CacheWalk, PausedThenStoppedEndsWithinAPollAndPostsCancel)
{
    for (int i = 0; i < 50; ++i)
        tree.AddFile("f" + std::to_string(i) + ".txt");
    list.SetPaused(true);
    list.Start();
    ::Sleep(300);
    size_t seen = list.Examined().size();
    EXPECT_LE(seen, 1u) << "the walk waits at its first pause point";
    EXPECT_FALSE(list.RequestStop()) << "a running scan closes later";
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(host.PumpUntil([&] { return host.CancelsReceived() == 1; }, 2000));
    EXPECT_LT(::GetTickCount() - start, 400u);
    EXPECT_FALSE(list.IsRunning());
    EXPECT_EQ(list.Examined().size(), seen);
}

TEST_F(CacheWalk, AStopAtAnyMomentIsNeverLost)
{
    for (int i = 0; i < 30; ++i)
        tree.AddFile("f" + std::to_string(i) + ".txt");
    list.examineDelayMs = 2;
    list.Start();
    ::Sleep(20);
    if (list.RequestStop()) {
        EXPECT_FALSE(list.IsRunning());
    } else {
        ASSERT_TRUE(host.PumpUntil([&] { return host.CancelsReceived() == 1; }, 3000))
            << "the worker posts IDCANCEL for a stop it saw";
    }
    EXPECT_LT(list.Examined().size(), 30u);
}

TEST_F(CacheWalk, PathsThatWouldNotFitAreSkippedNotCut)
{
    tree.AddFile("short.txt");
    // Only the wide API with its \\?\ prefix reaches past MAX_PATH.
    std::wstring wide = L"\\\\?\\";
    for (char c : tree.Root())
        wide += static_cast<wchar_t>(c);
    for (const std::wstring& part : { std::wstring(120, L'd'), std::wstring(120, L'e') }) {
        wide += L"\\" + part;
        ASSERT_TRUE(::CreateDirectoryW(wide.c_str(), nullptr));
    }
    wide += L"\\" + std::wstring(40, L'f') + L".txt";
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    Scan();
    EXPECT_EQ(ExaminedNames(), std::vector<std::string>{ "short.txt" });
}

// Two names whose best-fit ANSI spellings coincide: every examined path must
// open its own file, never the other one.
TEST_F(CacheWalk, EveryNameItHandsOnOpensTheFileItWasReadFrom)
{
    std::wstring root;
    for (char c : tree.Root())
        root += static_cast<wchar_t>(c);
    auto addWide = [&](const std::wstring& name, const char* content) {
        HANDLE file = ::CreateFileW((root + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, content, lstrlenA(content), &written, nullptr);
        ::CloseHandle(file);
    };
    addWide(L"\x0141\x00f3"
            L"d\x017a[1].gif",
            "polish");  // Łódź[1].gif: no ANSI form
    addWide(L"L\x00f3"
            L"dz[1].gif",
            "latin");  // Lódz[1].gif: exact in ANSI
    Scan();
    std::vector<std::string> contents;
    for (const std::string& path : list.Examined()) {
        char text[16] = {};
        DWORD read = 0;
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
        ::ReadFile(file, text, sizeof text - 1, &read, nullptr);
        ::CloseHandle(file);
        contents.push_back(text);
    }
    std::sort(contents.begin(), contents.end());
    // The ANSI name stays as it is; the other is reached by its short name.
    EXPECT_EQ(contents, (std::vector<std::string>{ "latin", "polish" }));
}

TEST(ImageCategory, TypeListIsASubstringSearchOfTheLowerCasedExtension)
{
    const char list[] = "gif;jpg;jpeg";
    for (const char* name : { "a.GIF", "b.gif", "x.if", "y.pg", "photo.JPEG", "odd.", "g;j" })
        EXPECT_TRUE(IsImageCandidate(name, list)) << name;
    for (const char* name : { "a.png", "b.gifs", "noextension", "x.bmp" })
        EXPECT_FALSE(IsImageCandidate(name, list)) << name;
}

TEST(ImageCategory, WithoutATypeListTheContentTypeDecides)
{
    SavedKeyTree image(HKEY_CLASSES_ROOT, ".zimg");
    SavedKeyTree other(HKEY_CLASSES_ROOT, ".zdoc");
    SavedKeyTree bare(HKEY_CLASSES_ROOT, ".zbare");
    SavedKeyTree whole(HKEY_CLASSES_ROOT, "ZIMAGEFILE");
    auto set = [](const char* key, const char* type) {
        HKEY handle;
        ::RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                          nullptr);
        if (type)
            ::RegSetValueExA(handle, "Content Type", 0, REG_SZ, reinterpret_cast<const BYTE*>(type),
                             lstrlenA(type) + 1);
        ::RegCloseKey(handle);
    };
    set(".zimg", "IMAGE/x-zema");
    set(".zdoc", "text/plain");
    set(".zbare", nullptr);
    set("ZIMAGEFILE", "image/png");
    EXPECT_TRUE(IsImageCandidate("picture.zimg", ""));
    EXPECT_TRUE(IsImageCandidate("picture.ZIMG", nullptr));
    EXPECT_FALSE(IsImageCandidate("notes.zdoc", ""));
    EXPECT_FALSE(IsImageCandidate("picture.zbare", "")) << "no Content Type, no candidate";
    EXPECT_FALSE(IsImageCandidate("picture.zunknown", ""));
    EXPECT_TRUE(IsImageCandidate("ZIMAGEFILE", "")) << "a name without a dot is its own key";
}

}  // namespace
