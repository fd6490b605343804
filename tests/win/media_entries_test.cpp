// The Media browser over caches that real browsers wrote in this run, placed
// where Chrome, Edge, Brave and Firefox keep theirs, beside WinINet files:
// each kind lists exactly the media entries the server sent to each cache
// after the files, the range-fetched sound among them; the preview plays an
// entry from a temporary file of its decoded body, which goes with the list.
#include "browser/copy_files.h"
#include "browser/details_dlg.h"
#include "media/media_browser_dlg.h"
#include "preview/current_preview_file.h"
#include "res/resource.h"
#include "scan/entry_item.h"
#include "tests/common/served_manifest.h"
#include "tests/win/modal_driver.h"
#include "tests/win/placed_caches.h"
#include "tests/win/registry_restore.h"
#include "tests/win/scan_host.h"
#include "tests/win/temp_tree.h"
#include "tests/win/static_factory.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Made(const std::string& relative)
{
    return std::string(ZEMA_WIN_MADE_CACHES) + "\\" + relative;
}

bool IsOfKind(const ManifestRow& row, int32_t kind)
{
    const std::string major = row.contentType.substr(0, 5);
    const std::string path = row.url.substr(0, row.url.find('?'));
    const bool swf = path.size() >= 4 && path.compare(path.size() - 4, 4, ".swf") == 0;
    switch (kind) {
    case Flashes:
        return row.contentType.compare(0, 29, "application/x-shockwave-flash") == 0;
    case Movies:
        return major == "video" && !swf;
    case Audios:
        return major == "audio";
    default:
        return false;
    }
}

// (the viewer's name of the cache, URL) of every entry of this kind a cache
// was sent with a successful status, ranges (206) included: a URL fetched in
// several ranges is one entry.
using CacheUrls = std::set<std::pair<std::string, std::string>>;

CacheUrls ServedMedia(const PlacedBrowserCaches& caches, int32_t kind)
{
    std::map<std::string, std::string> names;
    for (const auto& cache : caches.Caches())
        names[cache.made] = cache.name;
    CacheUrls served;
    for (const ManifestRow& row : ReadManifest(Made("manifest.tsv")))
        if (row.status.size() == 3 && row.status[0] == '2' && IsOfKind(row, kind))
            served.insert({ names[row.cache], row.url });
    return served;
}

const EntryFileItem* EntryOf(const CacheItem* row)
{
    std::string description, url;
    return row && row->KnownSource(description, url) ? static_cast<const EntryFileItem*>(row)
                                                     : nullptr;
}

// Drill on an entry row: its URL, and the one line about it that tells a
// body stored in part.
void ExpectDrillMarksPartOfTheBody(const CacheItem& row)
{
    CDetailsDlg details;
    PrepareDetails(row, details);
    ModalScript script;
    script.WaitFor("look-up", [&] { return !details.IsLookingUp(); });
    script.Do([&] {
        EXPECT_EQ(WindowText(script.Item(IDC_SOURCE_URL)), row.Label());
        const std::string line = WindowText(script.Item(IDC_CACHE_FILE_PATH));
        EXPECT_NE(line.find("audio/wav"), std::string::npos) << line;
        EXPECT_NE(line.find("stored in part"), std::string::npos) << line;
    });
    script.Do(steps::Click(script, IDCANCEL));
    EXPECT_EQ(script.Run(details), IDCANCEL);
}

class MediaEntries : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(caches.AllPlaced());
        tree.AddFile("wininet\\AB12CD34\\winfile.swf", "FWS");
        tree.AddFile("wininet\\AB12CD34\\winfile.avi", "RIFF");
        tree.AddFile("wininet\\AB12CD34\\winfile.wav", "RIFF");
        avi.Set("video/x-msvideo");
        wav.Set("audio/wav");
    }

    PlacedBrowserCaches caches{ ZEMA_MADE_CACHES };
    TempTree tree;
    CacheFolderOverride cache{ tree.Root() + "\\wininet" };
    SavedValue avi{ HKEY_CLASSES_ROOT, ".avi", "Content Type" };
    SavedValue wav{ HKEY_CLASSES_ROOT, ".wav", "Content Type" };
};

TEST_F(MediaEntries, EachKindListsTheMediaEveryCacheWasSentAfterTheFiles)
{
    const char* files[] = { "winfile.swf", "winfile.avi", "winfile.wav" };
    for (int32_t kind : { Flashes, Movies, Audios }) {
        SCOPED_TRACE(kind);
        ScanHost host;
        CMediaListCtrl list;
        list.SubclassWindow(host.List());
        FilterOptions filters;
        filters.mediaKind = kind;
        list.StartScan(filters);
        ASSERT_TRUE(host.PumpUntil([&] { return !list.IsRunning(); }, 60000));
        ASSERT_GE(list.GetItemCount(), 1);
        EXPECT_EQ(EntryOf(list.Row(0)), nullptr) << "the WinINet file comes first";
        EXPECT_STREQ(FileNamePart(list.Row(0)->path), files[kind]);
        CacheUrls listed;
        const EntryFileItem* firefoxRow = nullptr;
        for (int i = 1; i < list.GetItemCount(); ++i) {
            const EntryFileItem* row = EntryOf(list.Row(i));
            ASSERT_NE(row, nullptr) << list.Row(i)->path;
            listed.insert({ row->entry->Cache().name, row->Label() });
            if (row->entry->Cache().name == "Firefox (test.default-release)")
                firefoxRow = row;
        }
        EXPECT_EQ(listed, ServedMedia(caches, kind));
        if (kind == Audios) {
            ASSERT_NE(firefoxRow, nullptr);
            ExpectDrillMarksPartOfTheBody(*firefoxRow);
        }
        EXPECT_EQ(static_cast<size_t>(list.GetItemCount()), listed.size() + 1) << "no entry twice";
    }
    EXPECT_EQ(ServedMedia(caches, Audios).size(), caches.Caches().size())
        << "the ranged sound, once in every cache";
    EXPECT_EQ(ServedMedia(caches, Movies).size(), caches.Caches().size())
        << "the movie, once in every cache";
}

// The Movies window on Edge's copy of the test site's movie: the preview's
// file is its decoded body, double-click and the shell get the same file,
// Copy To writes the same bytes, and the file goes with the window's list.
TEST_F(MediaEntries, ThePreviewPlaysATemporaryFileOfTheBodyGoneWithTheList)
{
    ::OleInitialize(nullptr);
    NoControlFactory noControl;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, ::CoRegisterClassObject(CLSID_WebBrowser, &noControl, CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &cookie));
    std::string served;
    for (const ManifestRow& row : ReadManifest(Made("manifest.tsv")))
        if (row.cache == "chromium-simple" && IsOfKind(row, Movies))
            served = ReadWholeFile(Made(row.body));
    ASSERT_FALSE(served.empty());
    const std::string copies = tree.AddFolder("copies");
    const size_t rows = ServedMedia(caches, Movies).size() + 1;
    std::string file;
    {
        CMediaBrowserDlg browser;
        browser.SetMediaKind(Movies);
        ModalScript script;
        auto list = [&] {
            return static_cast<CCacheListCtrl*>(
                CWnd::FromHandlePermanent(script.Item(IDC_BROWSER_LIST)));
        };
        script
            .WaitFor("the Date options dialog",
                     [] {
                         HWND options = ::FindWindowA("#32770", "Options");
                         return options && ::PostMessageA(options, WM_COMMAND, IDOK, 0);
                     })
            .WaitFor("every row",
                     [&] {
                         return ::FindWindowA("#32770", "Options") == nullptr &&
                                !list()->IsRunning() &&
                                static_cast<size_t>(list()->GetItemCount()) == rows;
                     })
            .Do([&] {
                g_szCurrentPreviewFile[0] = '\0';
                for (int i = 0; i < list()->GetItemCount(); ++i) {
                    const EntryFileItem* row = EntryOf(list()->Row(i));
                    if (row && row->entry->Cache().name == "Edge (Profile 1)")
                        ListView_SetItemState(script.Item(IDC_BROWSER_LIST), i, LVIS_SELECTED,
                                              LVIS_SELECTED);
                }
            })
            .WaitFor("the Current preview file", [] { return g_szCurrentPreviewFile[0] != '\0'; })
            .Do([&] {
                file = g_szCurrentPreviewFile;
                EXPECT_TRUE(ReadWholeFile(file) == served)
                    << file << ": " << ReadWholeFile(file).size() << " bytes, served "
                    << served.size();
                EXPECT_EQ(file.substr(file.rfind('\\') + 1), "clip.avi");
                char temp[MAX_PATH] = {};
                ::GetTempPathA(MAX_PATH, temp);
                EXPECT_EQ(file.compare(0, lstrlenA(temp), temp), 0) << file;
                EXPECT_EQ(list()->SelectedRowFile(), file) << "double-click opens the same file";
                EXPECT_TRUE(
                    CopyToFolder(nullptr, CopySourcesOf(list()->SelectedRows()), copies.c_str())
                        .empty());
                ::PostMessageA(script.Dialog(), WM_COMMAND, IDCANCEL, 0);
            })
            .UntilClosed("the browser closing");
        EXPECT_EQ(script.Run(browser), IDCANCEL);
        ASSERT_FALSE(file.empty());
        EXPECT_NE(::GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES)
            << "kept while the list is";
    }
    EXPECT_EQ(::GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ReadWholeFile(copies + "\\clip.avi") == served);
    ::CoRevokeClassObject(cookie);
    ::OleUninitialize();
}

}  // namespace
