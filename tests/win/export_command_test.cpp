// ZEMA.exe /export run as a script would run it, on caches real browsers
// wrote in this run (placed where the browsers keep theirs) beside WinINet
// files: each category's file holds the rows its browser's list shows with
// the same filters, given folders replace the found caches, and every refusal
// ends with a message and a non-zero status.
#include "files/other_list_ctrl.h"
#include "files/text_list_ctrl.h"
#include "images/image_list_view.h"
#include "media/media_category.h"
#include "media/media_list_ctrl.h"
#include "tests/common/report_readers.h"
#include "tests/common/served_manifest.h"
#include "tests/win/placed_caches.h"
#include "tests/win/program_run.h"
#include "tests/win/scan_host.h"
#include "tests/win/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The viewer with the arguments, its standard output and error captured.
ProgramRun RunViewer(const std::string& arguments, const std::string& scratch)
{
    return RunProgram(ZEMA_VIEWER, "ZEMA.exe " + arguments, scratch);
}

ReportRecords ReadCsvFile(const std::string& file)
{
    ReportRecords records;
    EXPECT_TRUE(ReadCsv(ReadWholeFile(file), records)) << file;
    return records;
}

// The rows' cells in one column, the header left out.
std::vector<std::string> Column(const ReportRecords& records, size_t column)
{
    std::vector<std::string> cells;
    for (size_t row = 1; row < records.size(); ++row)
        cells.push_back(column < records[row].size() ? records[row][column] : "");
    return cells;
}

constexpr size_t nameColumn = 0, urlColumn = 1, cacheColumn = 3;

// A 1x1 GIF, a WinINet file beside the browsers' pictures.
const std::string tinyGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff"
                          "!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01"
                          "\x00\x00\x02\x02" "D\x01\x00;",
                          43);

FilterOptions ImageFilters()
{
    FilterOptions filters;
    filters.typeList = "gif;jpg;jpeg;png;webp;bmp";
    return filters;
}

struct Category {
    const char* arguments;
    std::unique_ptr<CCacheListCtrl> (*makeList)();
    FilterOptions filters;
};

FilterOptions MediaFilters(int32_t kind)
{
    FilterOptions filters;
    filters.mediaKind = kind;
    return filters;
}

FilterOptions TextFilters()
{
    FilterOptions filters;
    filters.searchText = "e";
    return filters;
}

FilterOptions OtherFilters()
{
    FilterOptions filters;
    filters.wildcard = "*";
    return filters;
}

// The names a browser's list shows after its scan with the filters.
std::vector<std::string> BrowserRows(CCacheListCtrl& list, const FilterOptions& filters)
{
    ScanHost host;
    list.SubclassWindow(host.List());
    list.StartScan(filters);
    EXPECT_TRUE(host.PumpUntil([&] { return !list.IsRunning(); }, 120000));
    return RowTexts(list);
}

class ExportCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(caches.AllPlaced());
        tree.AddFile("wininet\\Content.IE5\\AB12CD34\\winfile[1].txt", "the wininet text\r\n");
        tree.AddFile("wininet\\Content.IE5\\AB12CD34\\clip[1].avi", "RIFF....AVI LIST");
        tree.AddFile("wininet\\Content.IE5\\AB12CD34\\winfile[1].pdf", "%PDF-1.4 a report\n");
        tree.AddFile("wininet\\Content.IE5\\AB12CD34\\winpic[1].gif", tinyGif);
    }

    PlacedBrowserCaches caches{ ZEMA_MADE_CACHES };
    TempTree tree;
    CacheFolderOverride inet{ tree.Root() + "\\wininet" };
};

}  // namespace

TEST_F(ExportCommand, EachCategorysFileHoldsTheRowsItsBrowserLists)
{
    const Category categories[] = {
        { "images /types GIF;jpg;jpeg;png;webp;bmp",
          [] { return std::unique_ptr<CCacheListCtrl>(new CImageListView); }, ImageFilters() },
        { "text /search e", [] { return std::unique_ptr<CCacheListCtrl>(new CTextListCtrl); },
          TextFilters() },
        { "other", [] { return std::unique_ptr<CCacheListCtrl>(new COtherListCtrl); },
          OtherFilters() },
        { "flashes", [] { return std::unique_ptr<CCacheListCtrl>(new CMediaListCtrl); },
          MediaFilters(Flashes) },
        { "movies", [] { return std::unique_ptr<CCacheListCtrl>(new CMediaListCtrl); },
          MediaFilters(Movies) },
        { "audios", [] { return std::unique_ptr<CCacheListCtrl>(new CMediaListCtrl); },
          MediaFilters(Audios) },
    };
    for (const Category& category : categories) {
        const std::string name = category.arguments;
        const std::string file = tree.Root() + "\\" + name.substr(0, name.find(' ')) + ".csv";
        const ProgramRun run = RunViewer("/export " + name.substr(0, name.find(' ')) + " \"" + file +
                                      "\"" + (name.find(' ') == std::string::npos
                                                  ? std::string()
                                                  : name.substr(name.find(' '))),
                                  tree.Root());
        ASSERT_EQ(run.status, 0u) << name << ": " << run.problems;
        EXPECT_NE(run.output.find("written to"), std::string::npos) << run.output;
        const ReportRecords records = ReadCsvFile(file);
        std::unique_ptr<CCacheListCtrl> list = category.makeList();
        EXPECT_EQ(Column(records, nameColumn), BrowserRows(*list, category.filters)) << name;
        if (name != "flashes") {
            EXPECT_GE(records.size(), 3u) << name << ": a WinINet file and entries";
        }
    }
    // The pictures come from the WinINet folder and every browser's cache,
    // each entry with its URL.
    const ReportRecords images = ReadCsvFile(tree.Root() + "\\images.csv");
    ASSERT_GE(images.size(), 2u);
    EXPECT_EQ(images[1][nameColumn], "winpic[1].gif");
    for (const auto& cache : caches.Caches()) {
        const std::vector<std::string> names = Column(images, cacheColumn);
        EXPECT_NE(std::find(names.begin(), names.end(), cache.name), names.end()) << cache.name;
    }
    for (size_t row = 2; row < images.size(); ++row)
        EXPECT_EQ(images[row][urlColumn].rfind("http://", 0), 0u) << images[row][urlColumn];
}

// Given folders are read alone: the simple cache named on the command line
// gives the rows the same cache gives where Edge keeps it, and nothing else.
TEST_F(ExportCommand, GivenFoldersReplaceTheFoundCaches)
{
    const std::string found = tree.Root() + "\\found.csv", given = tree.Root() + "\\given.csv";
    ASSERT_EQ(RunViewer("/export other \"" + found + "\"", tree.Root()).status, 0u);
    const ProgramRun run = RunViewer("/export OTHER \"" + given + "\" /cache \"" +
                                  std::string(ZEMA_WIN_MADE_CACHES) + "\\chromium-simple\"",
                              tree.Root());
    ASSERT_EQ(run.status, 0u) << run.problems;

    const ReportRecords all = ReadCsvFile(found), alone = ReadCsvFile(given);
    std::vector<std::string> edgeUrls;
    for (size_t row = 1; row < all.size(); ++row)
        if (all[row][cacheColumn] == "Edge (Profile 1)")
            edgeUrls.push_back(all[row][urlColumn]);
    ASSERT_FALSE(edgeUrls.empty());
    EXPECT_EQ(Column(alone, urlColumn), edgeUrls);
    for (const std::string& cache : Column(alone, cacheColumn))
        EXPECT_EQ(cache, "Added (chromium-simple)");
}

// A refusal says why on the standard error and leaves no file; /? prints the
// usage and succeeds; an export replaces the file it names.
TEST_F(ExportCommand, RefusesBadArgumentsWithAMessageAndAStatus)
{
    const std::string scratch = tree.Root();
    const std::string empty = tree.AddFolder("no cache here");
    struct Refusal {
        std::string arguments;
        const char* saying;
    };
    const Refusal refusals[] = {
        { "/export pictures \"" + scratch + "\\x.csv\"", "Unknown category" },
        { "/export images \"" + scratch + "\\x.doc\"", "FILE must end" },
        { "/export text \"" + scratch + "\\x.csv\"", "/search" },
        { "/since 3", "/export only" },
        { "/export images \"" + scratch + "\\x.csv\" /cache \"" + empty + "\"", "no cache here" },
        { "/export images \"" + scratch + "\\missing folder\\x.csv\"", "could not be written" },
    };
    for (const Refusal& refusal : refusals) {
        const ProgramRun run = RunViewer(refusal.arguments, scratch);
        EXPECT_NE(run.status, 0u) << refusal.arguments;
        EXPECT_NE(run.status, 0xFFFFFFFFu) << refusal.arguments << ": did not end";
        EXPECT_NE(run.problems.find(refusal.saying), std::string::npos)
            << refusal.arguments << ": " << run.problems;
    }
    EXPECT_EQ(::GetFileAttributesA((scratch + "\\x.csv").c_str()), INVALID_FILE_ATTRIBUTES);

    const ProgramRun usage = RunViewer("/?", scratch);
    EXPECT_EQ(usage.status, 0u);
    EXPECT_NE(usage.output.find("/export CATEGORY FILE"), std::string::npos) << usage.output;

    const std::string target = tree.AddFile("old.html", "an older report");
    ASSERT_EQ(RunViewer("/export audios \"" + target + "\"", scratch).status, 0u);
    const std::string report = ReadWholeFile(target);
    EXPECT_NE(report.find("<!DOCTYPE html>"), std::string::npos);
    EXPECT_EQ(report.find("an older report"), std::string::npos);
}
