// cachedump as a user runs it: the listing, bodies extracted decoded under
// safe names, and a clear refusal of a folder without a cache.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "tests/common/served_manifest.h"
#include "caches/cache_files.h"
#include "tests/host/caches_test_util.h"

namespace {

struct DumpRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr
};

DumpRun RunCachedump(const std::string& arguments)
{
    DumpRun run;
    std::string command = std::string("'") + ZEMA_CACHEDUMP + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<std::vector<std::string>> Lines(const std::string& output)
{
    std::vector<std::vector<std::string>> lines;
    std::stringstream stream(output);
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(SplitTabs(line));
    return lines;
}

std::string Quoted(const std::string& path)
{
    return "'" + path + "'";
}

}  // namespace

TEST(Cachedump, NoCacheIsRefused)
{
    std::string empty = CacheTempFolder("dump-empty");
    DumpRun run = RunCachedump(Quoted(empty));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "cachedump: " + empty + ": no cache in this folder\n");
    run = RunCachedump(Quoted(empty + "/missing"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "cachedump: " + empty + "/missing: no such folder\n");
    run = RunCachedump("");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("usage"), std::string::npos);
}

TEST(Cachedump, HostileUrlsGetSafeNamesInsideTheFolder)
{
    std::string folder = CacheTempFolder("dump-hostile");
    ASSERT_EQ(std::system(
                  ("mkdir -p " + Quoted(folder + "/cache/entries") + " " + Quoted(folder + "/out"))
                      .c_str()),
              0);
    std::vector<std::string> urls = { "http://x.example/..%2F..%2Fescaped.js",
                                      "http://x.example/CON",
                                      "http://x.example/a%3Ab%7C%22c%22.js?q",
                                      "http://x.example/page.html",
                                      "http://x.example/dir/page.html" };
    for (size_t i = 0; i < urls.size(); ++i) {
        Cache2EntryLayout layout;
        layout.key = ":" + urls[i];
        layout.body = "body " + std::to_string(i);
        layout.elements = { { "response-head",
                              ResponseHead("HTTP/1.1 200 OK", { "Content-Type: text/plain" }) } };
        WriteFileBytes(folder + "/cache/entries/" + std::to_string(i), BuildCache2Entry(layout));
    }
    WriteFileBytes(folder + "/out/page.html", { 'm', 'i', 'n', 'e' });  // never overwritten

    DumpRun run = RunCachedump(Quoted(folder + "/cache") + " --extract " + Quoted(folder + "/out"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::map<std::string, std::string> written;  // URL -> name
    for (const std::vector<std::string>& fields : Lines(run.output))
        if (fields.size() >= 11 && fields[0] == "cache2")
            written[fields[1]] = fields[10];
    ASSERT_EQ(written.size(), urls.size()) << run.output;
    EXPECT_EQ(written[urls[0]], "escaped.js");
    EXPECT_EQ(written[urls[1]], "_CON");
    EXPECT_EQ(written[urls[2]], "a_b__c_.js");
    EXPECT_EQ(written[urls[3]], "page (2).html");
    EXPECT_EQ(written[urls[4]], "page (3).html");
    for (size_t i = 0; i < urls.size(); ++i) {
        std::vector<uint8_t> body = ReadFileBytes(folder + "/out/" + written[urls[i]]);
        EXPECT_EQ(std::string(body.begin(), body.end()), "body " + std::to_string(i));
    }
    std::vector<uint8_t> mine = ReadFileBytes(folder + "/out/page.html");
    EXPECT_EQ(std::string(mine.begin(), mine.end()), "mine");
    EXPECT_FALSE(CacheFileExists(folder + "/escaped.js"));
    EXPECT_NE(run.output.find("summary\tcache2\tentries=5\tskipped=0\twritten=5\tfailed=0"),
              std::string::npos)
        << run.output;
}

class CachedumpExtract : public testing::TestWithParam<std::string> {};

TEST_P(CachedumpExtract, BodiesEqualTheServedFiles)
{
    std::string set = ZEMA_BROWSER_CACHES;
    std::map<std::pair<std::string, std::string>, std::string>
        servedBody;  // (cache, url) -> body path
    {
        std::vector<uint8_t> manifest = ReadFileBytes(set + "/manifest.tsv");
        for (const std::vector<std::string>& f :
             Lines(std::string(manifest.begin(), manifest.end())))
            if (f.size() == 7 && !f[6].empty())
                servedBody[{ f[0], f[1] }] = f[6];
    }
    ASSERT_FALSE(servedBody.empty()) << "no manifest in " << set;
    {
        const std::string cacheName = GetParam();
        std::string out = CacheTempFolder("dump-" + cacheName);
        DumpRun run = RunCachedump(Quoted(set + "/" + cacheName) + " --extract " + Quoted(out));
        ASSERT_EQ(run.exitCode, 0) << run.output;
        size_t compared = 0;
        for (const std::vector<std::string>& fields : Lines(run.output)) {
            if (fields.size() < 11 || fields[0] == "summary")
                continue;
            auto served = servedBody.find({ cacheName, fields[1] });
            if (served == servedBody.end() || fields[9] != "-")
                continue;  // partial or failed bodies are not whole files
            SCOPED_TRACE(cacheName + " " + fields[1]);
            EXPECT_TRUE(ReadFileBytes(out + "/" + fields[10]) ==
                        ReadFileBytes(set + "/" + served->second));
            ++compared;
        }
        std::printf("cachedump %s: %zu extracted bodies equal to the served files\n",
                    cacheName.c_str(), compared);
        EXPECT_GT(compared, 0u) << run.output;
    }
}

INSTANTIATE_TEST_SUITE_P(Browsers, CachedumpExtract, testing::ValuesIn(kBrowserCacheNames),
                         CacheTestName);
