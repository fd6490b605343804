// The Image browser's scan over caches that real browsers wrote in this run,
// placed where Chrome, Edge, Brave and Firefox keep theirs, beside a WinINet
// file: it finds them by itself, lists exactly their pictures after the file,
// copies an entry's decoded body out, drills to what the server sent and
// leaves every cache file as it was.
#include "browser/copy_files.h"
#include "browser/details_dlg.h"
#include "browser/entry_details.h"
#include "caches/cache_reader.h"
#include "images/image_list_view.h"
#include "res/resource.h"
#include "scan/cached_entry.h"
#include "scan/entry_item.h"
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
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
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

// What Drill showed for a row, field by field, and whether Open was enabled.
struct DrilledRow {
    std::map<int, std::string> fields;
    bool openEnabled = false;

    const std::string& operator[](int id) { return fields[id]; }
};

DrilledRow Drill(const CacheItem& row)
{
    const int ids[] = { IDC_SOURCE_URL,        IDC_ENTRY_SITE,         IDC_CACHE_FILE_PATH,
                        IDC_ENTRY_STATUS,      IDC_ENTRY_TYPE,         IDC_ENTRY_ENCODING,
                        IDC_ENTRY_STORED_SIZE, IDC_ENTRY_DECODED_SIZE, IDC_ENTRY_CACHED,
                        IDC_ENTRY_BODY };
    DrilledRow drilled;
    CDetailsDlg details;
    PrepareDetails(row, details);
    ModalScript script;
    script.WaitFor("look-up", [&] { return !details.IsLookingUp(); });
    script.Do([&] {
        for (int id : ids) {
            HWND field = script.Item(id);
            EXPECT_TRUE(field && (::GetWindowLongA(field, GWL_STYLE) & ES_READONLY)) << id;
            drilled.fields[id] = WindowText(field);
        }
        drilled.openEnabled = ::IsWindowEnabled(script.Item(IDC_OPEN_SOURCE_URL)) != FALSE;
    });
    script.Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(details), IDCANCEL);
    return drilled;
}

// "22419 bytes" as a number; -1 for any other text.
long long ByteCount(const std::string& text)
{
    long long count = -1;
    char unit[8] = {};
    if (std::sscanf(text.c_str(), "%lld %7s", &count, unit) != 2 || std::string(unit) != "bytes")
        return -1;
    return count;
}

bool HasWord(const std::string& text, const std::string& word)
{
    std::istringstream words(text);
    std::string each;
    while (words >> each)
        if (each == word)
            return true;
    return false;
}

// A local "YYYY-MM-DD HH:MM:SS" as seconds since 1601 UTC; -1 when it is not one.
long long UtcSeconds(const std::string& local)
{
    SYSTEMTIME at = {};
    unsigned year, month, day, hour, minute, second;
    if (std::sscanf(local.c_str(), "%u-%u-%u %u:%u:%u", &year, &month, &day, &hour, &minute,
                    &second) != 6)
        return -1;
    at.wYear = static_cast<WORD>(year);
    at.wMonth = static_cast<WORD>(month);
    at.wDay = static_cast<WORD>(day);
    at.wHour = static_cast<WORD>(hour);
    at.wMinute = static_cast<WORD>(minute);
    at.wSecond = static_cast<WORD>(second);
    SYSTEMTIME utc;
    FILETIME ticks;
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &at, &utc) ||
        !::SystemTimeToFileTime(&utc, &ticks))
        return -1;
    return static_cast<long long>(
        (static_cast<ULONGLONG>(ticks.dwHighDateTime) << 32 | ticks.dwLowDateTime) / 10000000u);
}

// When make-caches.py wrote its manifest, after the browsers' last response.
long long ManifestWrittenSeconds()
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(Made("manifest.tsv").c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>(
        (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 |
         data.ftLastWriteTime.dwLowDateTime) /
        10000000u);
}

// The fields every entry shows as the server sent its response to that
// browser: the URL to open, the site, the cache's name, status, type and
// coding, and a response time inside the run that made the caches.
void ExpectServed(DrilledRow& drilled, const ManifestRow& served, const std::string& browser)
{
    EXPECT_EQ(drilled[IDC_SOURCE_URL], served.url);
    EXPECT_TRUE(drilled.openEnabled);
    EXPECT_EQ(SiteWithoutPort(drilled[IDC_ENTRY_SITE]), served.site);
    EXPECT_EQ(drilled[IDC_CACHE_FILE_PATH], browser);
    EXPECT_TRUE(HasWord(drilled[IDC_ENTRY_STATUS], served.status)) << drilled[IDC_ENTRY_STATUS];
    EXPECT_EQ(drilled[IDC_ENTRY_TYPE], served.contentType.substr(0, served.contentType.find(';')));
    EXPECT_EQ(drilled[IDC_ENTRY_ENCODING],
              served.contentEncoding.empty() ? kNotRecordedText : served.contentEncoding);
    const long long cached = UtcSeconds(drilled[IDC_ENTRY_CACHED]);
    const long long written = ManifestWrittenSeconds();
    EXPECT_TRUE(cached > written - 180 && cached <= written + 1)
        << drilled[IDC_ENTRY_CACHED] << " against the manifest written at " << written;
}

// The manifest's rows for one cache and URL, in the order they were served.
std::vector<ManifestRow> ServedRows(const std::string& cache, const std::string& url)
{
    std::vector<ManifestRow> rows;
    for (const ManifestRow& row : ReadManifest(Made("manifest.tsv")))
        if (row.cache == cache && row.url == url)
            rows.push_back(row);
    return rows;
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

    // Drill on the picture of each cache shows what the server sent to that
    // browser, the whole body stored.
    std::set<std::string> drilledBrowsers;
    for (int i = 0; i < view.GetItemCount(); ++i) {
        if (std::string(view.Row(i)->path) != "logo.png")
            continue;
        DrilledRow drilled = Drill(*view.Row(i));
        const std::string browser = drilled[IDC_CACHE_FILE_PATH];
        SCOPED_TRACE(browser);
        drilledBrowsers.insert(browser);
        const PlacedBrowserCaches::Placed* placed = nullptr;
        for (const auto& cache : caches.Caches())
            if (browser == cache.name)
                placed = &cache;
        ASSERT_NE(placed, nullptr);
        const std::vector<ManifestRow> served = ServedRows(placed->made, view.Row(i)->Label());
        ASSERT_EQ(served.size(), 1u);
        ExpectServed(drilled, served.front(), placed->name);
        const long long size =
            static_cast<long long>(ReadWholeFile(Made(served.front().body)).size());
        EXPECT_EQ(ByteCount(drilled[IDC_ENTRY_STORED_SIZE]), size) << "served without a coding";
        EXPECT_EQ(ByteCount(drilled[IDC_ENTRY_DECODED_SIZE]), size);
        EXPECT_EQ(drilled[IDC_ENTRY_BODY], kWholeBodyText);
    }
    EXPECT_EQ(drilledBrowsers.size(), caches.Caches().size()) << "one logo.png in each cache";

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

// The player's range requests leave sweep.wav stored in part in every cache:
// Drill on such an entry, as the viewer finds it in each browser's cache,
// shows the 206 the server sent and marks the body partial, its stored part
// smaller than what was served.
TEST_F(EntryScan, DrillMarksARangeFetchedSoundAsPartialInEveryCache)
{
    const std::vector<ChosenCache> found = FindUserCaches();
    for (const auto& placed : caches.Caches()) {
        SCOPED_TRACE(placed.name);
        auto cache = std::find_if(found.begin(), found.end(), [&](const ChosenCache& each) {
            return ::lstrcmpiA(each.folder.c_str(), placed.folder.c_str()) == 0;
        });
        ASSERT_NE(cache, found.end()) << "the viewer did not find " << placed.folder;
        OpenedCache opened = OpenCacheFolder(cache->folder);
        ASSERT_TRUE(opened.reader) << opened.problem;
        CacheEntry entry;
        bool seen = false;
        while (!seen && opened.reader->Next(entry, {}))
            seen = LastSegment(entry.url) == "sweep.wav";
        ASSERT_TRUE(seen);
        const std::vector<ManifestRow> served = ServedRows(placed.made, entry.url);
        ASSERT_FALSE(served.empty());
        long long servedBytes = 0;
        for (const ManifestRow& range : served)
            servedBytes += static_cast<long long>(ReadWholeFile(Made(range.body)).size());

        // Far more than the stored part of a sound of a few hundred KiB.
        const uint64_t bound = 16u << 20;
        std::vector<uint8_t> body;
        ReadBodyInMemory(
            [&](const DecodedBodySink& sink) {
                return ReadEntryBody(*opened.reader, entry, bound, {}, sink);
            },
            body);
        EntryFileItem row;
        row.entry = std::make_shared<const CachedEntry>(std::make_shared<const ChosenCache>(*cache),
                                                        entry, body.size());
        lstrcpynA(row.path, "sweep.wav", sizeof row.path);
        DrilledRow drilled = Drill(row);
        ExpectServed(drilled, served.front(), placed.name);
        EXPECT_EQ(drilled[IDC_ENTRY_BODY].rfind(kPartialBodyText, 0), 0u)
            << drilled[IDC_ENTRY_BODY];
        const long long stored = ByteCount(drilled[IDC_ENTRY_STORED_SIZE]);
        EXPECT_GE(stored, 0) << drilled[IDC_ENTRY_STORED_SIZE];
        EXPECT_LT(stored, servedBytes);
        EXPECT_EQ(ByteCount(drilled[IDC_ENTRY_DECODED_SIZE]), static_cast<long long>(body.size()));
    }
}
