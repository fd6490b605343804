#include "app/program_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(const std::vector<std::string>& arguments, ProgramRequest& request,
           std::string& problem)
{
    problem.clear();
    return ParseProgramArguments(arguments, request, problem);
}

}  // namespace

TEST(ProgramArguments, ExportTakesEverySwitchInAnyOrderAndCase)
{
    ProgramRequest request;
    std::string problem;
    ASSERT_TRUE(Parse({ "/CACHE", "C:\\a", "-export", "Text", "out.HTML", "/since", "7", "/types",
                        "TXT;Js", "/search", "Needle Text", "/cache", "D:\\b" },
                      request, problem))
        << problem;
    EXPECT_EQ(request.mode, ProgramMode::Export);
    EXPECT_EQ(request.category, ExportCategory::Text);
    EXPECT_EQ(request.file, "out.HTML");
    EXPECT_EQ(request.format, ReportFormat::Html);
    EXPECT_EQ(request.cacheFolders, (std::vector<std::string>{ "C:\\a", "D:\\b" }));
    EXPECT_EQ(request.sinceDays, 7);
    EXPECT_EQ(request.types, "txt;js");
    EXPECT_EQ(request.search, "Needle Text");

    ASSERT_TRUE(Parse({ "/export", "other", "list.tsv" }, request, problem)) << problem;
    EXPECT_EQ(request.format, ReportFormat::Text);
    EXPECT_EQ(request.pattern, "*");
    EXPECT_EQ(request.sinceDays, -1);
    EXPECT_TRUE(request.cacheFolders.empty());
}

TEST(ProgramArguments, LauncherTakesCacheFoldersOnlyAndUsageWinsOverTheRest)
{
    ProgramRequest request;
    std::string problem;
    ASSERT_TRUE(Parse({}, request, problem));
    EXPECT_EQ(request.mode, ProgramMode::Launcher);
    ASSERT_TRUE(Parse({ "/cache", "E:\\copied cache" }, request, problem));
    EXPECT_EQ(request.mode, ProgramMode::Launcher);
    EXPECT_EQ(request.cacheFolders, std::vector<std::string>{ "E:\\copied cache" });
    ASSERT_TRUE(Parse({ "/export", "nonsense", "/?" }, request, problem));
    EXPECT_EQ(request.mode, ProgramMode::Usage);
}

// Each is refused with a sentence, never taken as something else.
TEST(ProgramArguments, RefusesWhatNoBrowserCouldList)
{
    const std::vector<std::vector<std::string>> refused = {
        { "stray" },
        { "/unknown" },
        { "/" },
        { "/export" },
        { "/export", "images" },
        { "/export", "pictures", "a.csv" },
        { "/export", "images", "a.doc" },
        { "/export", "images", "a.csv", "/since" },
        { "/export", "images", "a.csv", "/since", "-1" },
        { "/export", "images", "a.csv", "/since", "36501" },
        { "/export", "images", "a.csv", "/since", "7x" },
        { "/export", "images", "a.csv", "/search", "x" },
        { "/export", "movies", "a.csv", "/types", "avi" },
        { "/export", "text", "a.csv" },
        { "/export", "text", "a.csv", "/search", "x", "/search", "y" },
        { "/export", "other", "a.csv", "/pattern", "..\\*.pdf" },
        { "/export", "images", "a.csv", "/export", "text", "b.csv" },
        { "/since", "3" },
        { "/cache" },
    };
    for (const std::vector<std::string>& arguments : refused) {
        ProgramRequest request;
        std::string problem;
        std::string joined;
        for (const std::string& argument : arguments)
            joined += argument + " ";
        EXPECT_FALSE(Parse(arguments, request, problem)) << joined;
        EXPECT_FALSE(problem.empty()) << joined;
    }
}
