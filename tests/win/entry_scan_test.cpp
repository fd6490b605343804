// The Image browser's scan over caches that real browsers wrote in this run,
// placed where Chrome, Edge, Brave and Firefox keep theirs, beside a WinINet
// file: it finds them by itself, lists exactly their pictures after the file,
// copies an entry's decoded body out, drills to its URL and leaves every cache
// file as it was.
#include "browser/copy_files.h"
#include "browser/details_dlg.h"
#include "images/image_list_view.h"
#include "res/resource.h"
#include "scan/cached_entry.h"
#include "sources/cache_choice.h"
#include "scan/entry_temp_files.h"
#include "scan/filter_rules.h"
#include "tests/common/served_manifest.h"
#include "tests/win/modal_driver.h"
#include "tests/win/placed_caches.h"
#include "tests/win/scan_host.h"
#include "tests/win/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Made(const std::string& relative)
{
    return std::string(ZEMA_WIN_MADE_CACHES) + "\\" + relative;
}

// Every file under a folder with its bytes and last-write time.
void Snapshot(const std::string& folder, const std::string& relative,
              std::map<std::string, std::string>& files)
{
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Snapshot(folder + "\\" + name, relative + name + "\\", files);
            continue;
        }
        files[relative + name] = std::to_string(found.ftLastWriteTime.dwHighDateTime) + ":" +
                                 std::to_string(found.ftLastWriteTime.dwLowDateTime) + ":" +
                                 ReadWholeFile(folder + "\\" + name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

// A 24-bit BMP file of 2 by 2 grey pixels.
std::string GreyBmp()
{
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    const DWORD pixelBytes = 2 * 8;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof info;
    info.biWidth = 2;
    info.biHeight = 2;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string out(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(&info), sizeof info);
    return out + std::string(pixelBytes, '\x80');
}

// The last segment of a URL's path, as the row names it: the query dropped,
// the escapes kept (the names of this site decode to ASCII or to nothing the
// ANSI code page holds exactly).
std::string LastSegment(const std::string& url)
{
    const std::string path = url.substr(0, url.find('?'));
    return path.substr(path.rfind('/') + 1);
}

// The pictures of the test's type list the server sent, to every cache.
std::vector<ManifestRow> ServedPictures()
{
    std::vector<ManifestRow> pictures;
    for (const ManifestRow& row : ReadManifest(Made("manifest.tsv"))) {
        const std::string name = LastSegment(row.url);
        const std::string extension = name.substr(name.rfind('.') + 1);
        if (row.contentType.compare(0, 6, "image/") == 0 && row.status == "200" &&
            std::string(";bmp;gif;png;ico;").find(";" + extension + ";") != std::string::npos)
            pictures.push_back(row);
    }
    return pictures;
}

class EntryScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(caches.AllPlaced());
        view.SubclassWindow(host.List());
        tree.AddFile("wininet\\AB12CD34\\winfile.bmp", GreyBmp());
        for (const auto& cache : caches.Caches())
            Snapshot(cache.folder, std::string(cache.made) + "\\", before);
    }

    PlacedBrowserCaches caches{ ZEMA_MADE_CACHES };
    TempTree tree;
    CacheFolderOverride cache{ tree.Root() + "\\wininet" };
    ScanHost host;
    CImageListView view;
    std::map<std::string, std::string> before;
};

TEST_F(EntryScan, ListsThePicturesOfEveryCacheAfterTheFilesAndCopiesAndDrillsThem)
{
    ASSERT_GE(before.size(), 8u) << "the caches were not copied";
    // The prefix's registry may name no content type for ".bmp": the type
    // list lets the file in as the user's list would.
    FilterOptions filters;
    filters.typeList = "bmp;gif;png;ico";
    view.StartScan(filters);
    ASSERT_TRUE(host.PumpUntil([&] { return !view.IsRunning(); }, 60000));

    std::vector<std::string> expected;
    std::map<std::string, const ManifestRow*> byUrl;
    const std::vector<ManifestRow> pictures = ServedPictures();
    for (const ManifestRow& row : pictures) {
        expected.push_back(LastSegment(row.url));
        byUrl[row.url] = &row;
    }
    ASSERT_FALSE(expected.empty());
    std::vector<std::string> listed = RowTexts(view);
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(listed.front(), "winfile.bmp") << "the WinINet files come first";
    listed.erase(listed.begin());
    std::sort(expected.begin(), expected.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);

    // An entry row: its copy is the body the server sent, and a second copy
    // takes a new name.
    int logo = -1;
    for (int i = 0; i < view.GetItemCount(); ++i)
        if (std::string(view.Row(i)->path) == "logo.png")
            logo = i;
    ASSERT_GE(logo, 0);
    const CacheItem* row = view.Row(logo);
    std::string copies = tree.AddFolder("copies");
    EXPECT_TRUE(CopyToFolder(nullptr, CopySourcesOf({ row, row }), copies.c_str()).empty());
    const ManifestRow* served = byUrl[row->Label()];
    ASSERT_NE(served, nullptr) << row->Label();
    const std::string body = ReadWholeFile(Made(served->body));
    ASSERT_FALSE(body.empty());
    for (const char* name : { "logo.png", "logo (2).png" }) {
        const std::string copy = ReadWholeFile(copies + "\\" + name);
        EXPECT_TRUE(copy == body) << name << ": " << copy.size() << " bytes, served "
                                  << body.size();
    }

    CDetailsDlg details;
    PrepareDetails(*row, details);
    ModalScript script;
    script.WaitFor("look-up", [&] { return !details.IsLookingUp(); });
    script.Do([&] {
        EXPECT_EQ(WindowText(script.Item(IDC_SOURCE_URL)), served->url);
        std::string line = WindowText(script.Item(IDC_CACHE_FILE_PATH));
        EXPECT_NE(line.find("image/png"), std::string::npos) << line;
        EXPECT_NE(line.find(served->site), std::string::npos) << line;
        EXPECT_TRUE(::IsWindowEnabled(script.Item(IDC_OPEN_SOURCE_URL)));
    });
    script.Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(details), IDCANCEL);

    std::map<std::string, std::string> after;
    for (const auto& cache : caches.Caches())
        Snapshot(cache.folder, std::string(cache.made) + "\\", after);
    EXPECT_TRUE(after == before) << "a cache file was changed, added or removed";
}

}  // namespace

// The date test reads an entry's response time (the fixtures were made in
// 2026), the file's its last write (now).
TEST_F(EntryScan, TheDateTestUsesTheResponseTime)
{
    FilterOptions filters;
    filters.typeList = "bmp;gif;png;ico";
    filters.dateMode = Before;
    filters.dayNumber = DayNumber(2026, 1, 1);
    view.StartScan(filters);
    ASSERT_TRUE(host.PumpUntil([&] { return !view.IsRunning(); }, 60000));
    EXPECT_EQ(view.GetItemCount(), 0);
}

TEST_F(EntryScan, TheDateTestPassesEntriesOfTheDayChosenAndAfter)
{
    FilterOptions filters;
    filters.typeList = "bmp;gif;png;ico";
    filters.dateMode = Since;
    filters.dayNumber = DayNumber(2026, 1, 1);
    view.StartScan(filters);
    ASSERT_TRUE(host.PumpUntil([&] { return !view.IsRunning(); }, 60000));
    EXPECT_EQ(static_cast<size_t>(view.GetItemCount()), ServedPictures().size() + 1)
        << "the file and the caches' pictures";
}

// Pause holds the walk between entries and Close ends it within the times the
// file walk keeps.
TEST_F(EntryScan, PauseHoldsTheEntryWalkAndCloseEndsIt)
{
    FilterOptions filters;
    filters.typeList = "bmp;gif;png;ico";
    view.StartScan(filters);
    ASSERT_TRUE(host.PumpUntil([&] { return view.GetItemCount() >= 2; }, 30000))
        << "the file and a first entry";
    view.SetPaused(true);
    host.PumpUntil([] { return false; }, 300);
    const int held = view.GetItemCount();
    host.PumpUntil([] { return false; }, 300);
    EXPECT_EQ(view.GetItemCount(), held) << "no row while paused";
    EXPECT_TRUE(view.IsRunning());
    ASSERT_LT(static_cast<size_t>(held), ServedPictures().size() + 1) << "paused inside the walk";
    EXPECT_FALSE(view.RequestStop()) << "a running scan closes later";
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(host.PumpUntil([&] { return host.CancelsReceived() == 1; }, 2000));
    EXPECT_LT(::GetTickCount() - start, 400u);
    EXPECT_FALSE(view.IsRunning());
    EXPECT_EQ(view.GetItemCount(), held);
}

// Another program gets an entry as a file of its decoded body among the
// list's temporary files, gone with the list; a folder a program that ended
// left behind goes at the next start, a running program's stays.
TEST_F(EntryScan, ProgramsGetTemporaryFilesThatGoWithTheList)
{
    std::string file;
    std::string served;
    {
        ScanHost ownHost;
        CImageListView ownView;
        ownView.SubclassWindow(ownHost.List());
        FilterOptions filters;
        filters.typeList = "png";
        ownView.StartScan(filters);
        ASSERT_TRUE(ownHost.PumpUntil([&] { return !ownView.IsRunning(); }, 60000));
        const std::vector<ManifestRow> pictures = ServedPictures();
        for (int i = 0; i < ownView.GetItemCount() && file.empty(); ++i) {
            for (const ManifestRow& row : pictures)
                if (row.url == ownView.Row(i)->Label())
                    served = ReadWholeFile(Made(row.body));
            if (served.empty())
                continue;
            ListView_SetItemState(ownHost.List(), i, LVIS_SELECTED, LVIS_SELECTED);
            file = ownView.SelectedRowFile();
            EXPECT_EQ(file, ownView.SelectedRowFile()) << "written once";
        }
        ASSERT_FALSE(file.empty());
        EXPECT_TRUE(ReadWholeFile(file) == served);
        EXPECT_EQ(file.substr(file.rfind('\\') + 1), LastSegment(ownView.SelectedRow()->Label()));
    }
    EXPECT_EQ(::GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string processFolder = file.substr(0, file.find('\\', file.find("Zema-")));
    EXPECT_EQ(::GetFileAttributesA(processFolder.c_str()), INVALID_FILE_ATTRIBUTES);

    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    // Process ids are multiples of four: this one never runs.
    const std::string ended = std::string(temp) + "Zema-4294967294";
    const std::string running =
        std::string(temp) + "Zema-" + std::to_string(::GetCurrentProcessId());
    for (const std::string& folder : { ended, ended + "\\1", running })
        ::CreateDirectoryA(folder.c_str(), nullptr);
    std::string leftFile = ended + "\\1\\left.png";
    ::CloseHandle(
        ::CreateFileA(leftFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    RemoveTempFoldersLeftBehind();
    EXPECT_EQ(::GetFileAttributesA(ended.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesA(running.c_str()), INVALID_FILE_ATTRIBUTES);
    ::RemoveDirectoryA(running.c_str());
}

// The scan reads the user's choice of caches when it starts: an unchecked
// cache gives no rows, an added folder gives its own, and a cache a running
// browser holds locked is passed over without holding the scan up.
TEST_F(EntryScan, TheScanReadsTheChoiceOfCaches)
{
    const std::string added = tree.AddFolder("copied") + "\\Cache_Data";
    ASSERT_TRUE(PlaceCache(std::string(ZEMA_MADE_CACHES) + "/chromium-sql", added));
    CCacheChoice choice;
    choice.Load();
    for (size_t row = 0; row < choice.Rows().size(); ++row)
        if (choice.Rows()[row].cache.name == "Firefox (test.default-release)")
            choice.SetChecked(row, false);
    ChosenCache addedCache;
    std::string refusal;
    ASSERT_TRUE(RecogniseCacheFolder(added, addedCache, refusal)) << refusal;
    ASSERT_TRUE(choice.Add(addedCache));
    ASSERT_TRUE(choice.Save());
    const std::string chromeIndex = caches.Caches()[0].folder + "\\index";
    HANDLE lock = ::CreateFileA(chromeIndex.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    FilterOptions filters;
    filters.typeList = "bmp;gif;png;ico";
    view.StartScan(filters);
    const bool ended = host.PumpUntil([&] { return !view.IsRunning(); }, 60000);
    ::CloseHandle(lock);
    ASSERT_TRUE(ended);

    std::vector<std::string> expected = { "winfile.bmp" };
    for (const ManifestRow& row : ServedPictures()) {
        if (row.cache == "chromium-simple")
            expected.push_back(LastSegment(row.url));
        if (row.cache == "chromium-sql")  // Brave's and the added copy
            expected.insert(expected.end(), 2, LastSegment(row.url));
    }
    std::vector<std::string> listed = RowTexts(view);
    std::sort(expected.begin(), expected.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);
}
