// Firefox cache2: keys, the entry files of every metadata version, and damaged
// or hostile files made from good ones.
#include <gtest/gtest.h>

#include "caches/firefox_cache2.h"
#include "caches/firefox_key.h"
#include "caches/safe_file_name.h"
#include "tests/host/caches_test_util.h"

namespace {

const char* kPartitioned = "O^partitionKey=%28https%2Cnews.example%29,:https://cdn.example/a.jpg";

Cache2EntryLayout ImageEntry()
{
    Cache2EntryLayout layout;
    layout.key = kPartitioned;
    layout.body = std::string("\xFF\xD8\xFF\xE0 a picture's bytes \x00\x01\x02", 27);
    layout.elements = { { "request-method", "GET" },
                        { "response-head",
                          ResponseHead("HTTP/1.1 200 OK",
                                       { "Content-Type: Image/JPEG; q=1", "Content-Length: 27",
                                         "Cache-Control: public, max-age=86400" }) },
                        { "net-response-time-onstart", "22" } };
    return layout;
}

// Writes the files into a fresh cache2 folder and lists it.
std::vector<CacheEntry> ListWritten(const std::string& name,
                                    const std::vector<std::vector<uint8_t>>& files,
                                    uint64_t* skipped = nullptr)
{
    std::string folder = CacheTempFolder(name);
    std::string entries = folder + "/entries";
    EXPECT_EQ(std::system(("mkdir -p '" + entries + "'").c_str()), 0);
    for (size_t i = 0; i < files.size(); ++i) {
        char fileName[48];
        std::snprintf(fileName, sizeof fileName, "%040zX", i);
        WriteFileBytes(entries + "/" + fileName, files[i]);
    }
    return ListEntries(folder, skipped);
}

int64_t Micros1601(uint32_t unixSeconds)
{
    return (static_cast<int64_t>(unixSeconds) + 11644473600) * 1000000;
}

}  // namespace

TEST(FirefoxKey, TagsPartitionKeysAndJunk)
{
    struct Case {
        const char* key;
        bool valid;
        const char* url;
        const char* site;
        bool anonymous, privateBrowsing;
    } cases[] = {
        { kPartitioned, true, "https://cdn.example/a.jpg", "https://news.example", false, false },
        { "O^partitionKey=%28http%2C127.0.0.1%2C8080%29,a,:http://127.0.0.1:8080/x?a=1,b", true,
          "http://127.0.0.1:8080/x?a=1,b", "http://127.0.0.1:8080", true, false },
        { "O^privateBrowsingId=1&partitionKey=%28https%2Cnews.example%2Cf%29,p,:https://a.example/",
          true, "https://a.example/", "https://news.example", false, true },
        { "a,:https://plain.example/s.js", true, "https://plain.example/s.js", "", true, false },
        { ":https://bare.example/", true, "https://bare.example/", "", false, false },
        { "~1,,2,:https://post.example/form", true, "https://post.example/form", "", false, false },
        { "O^userContextId=2,:https://u.example/", true, "https://u.example/", "", false, false },
        { "O^partitionKey=%28not a scheme%2Chost%29,:https://x.example/", true,
          "https://x.example/", "", false, false },
        { "O^partitionKey=%28https%29,:https://x.example/", true, "https://x.example/", "", false,
          false },
        { "https://no-tags.example/", false, "", "", false, false },
        { "a,", false, "", "", false, false },
        { "O^partitionKey=%28https%2Cx,", false, "", "", false, false },
        { "", false, "", "", false, false },
        { "\x01,:x", false, "", "", false, false },
    };
    for (const Case& c : cases) {
        FirefoxKey key = ParseFirefoxKey(c.key);
        SCOPED_TRACE(c.key);
        EXPECT_EQ(key.valid, c.valid);
        EXPECT_EQ(key.url, c.url);
        EXPECT_EQ(key.topLevelSite, c.site);
        EXPECT_EQ(key.anonymous, c.anonymous);
        EXPECT_EQ(key.privateBrowsing, c.privateBrowsing);
    }
    EXPECT_EQ(ParseFirefoxKey("~1,,2,:u").idEnhance, "1,2");
}

TEST(FirefoxCache2, EntriesOfEveryMetadataVersion)
{
    std::vector<std::vector<uint8_t>> files;
    for (uint32_t version = 1; version <= 4; ++version) {
        Cache2EntryLayout layout = ImageEntry();
        layout.headerVersion = version;
        layout.trailerVersion = version == 4 ? 4 : 0;
        layout.key = std::string(kPartitioned) + std::to_string(version);
        files.push_back(BuildCache2Entry(layout));
    }
    std::string folder = CacheTempFolder("ff-versions");
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "/entries'").c_str()), 0);
    for (size_t i = 0; i < files.size(); ++i)
        WriteFileBytes(folder + "/entries/" + std::to_string(i), files[i]);
    OpenedCache cache = OpenCacheFolder(folder);
    ASSERT_TRUE(cache.reader) << cache.problem;
    EXPECT_EQ(cache.format, CacheFormat::FirefoxCache2);
    CacheEntry entry;
    int seen = 0;
    while (cache.reader->Next(entry, nullptr)) {
        ++seen;
        SCOPED_TRACE(entry.key);
        EXPECT_EQ(entry.url, "https://cdn.example/a.jpg" + std::to_string(seen));
        EXPECT_EQ(entry.topLevelSite, "https://news.example");
        EXPECT_EQ(entry.statusLine, "HTTP/1.1 200 OK");
        EXPECT_EQ(entry.status, 200);
        EXPECT_EQ(entry.contentType, "image/jpeg");
        EXPECT_EQ(entry.contentEncoding, "");
        EXPECT_EQ(entry.contentLength, 27);
        EXPECT_EQ(entry.headers.size(), 3u);
        EXPECT_EQ(entry.storedSize, 27u);
        EXPECT_EQ(entry.body, BodyAvailability::Complete);
        EXPECT_EQ(entry.problem, "");
        EXPECT_EQ(entry.requestTime, 0);
        EXPECT_EQ(entry.responseTime, Micros1601(1796794662));
        EXPECT_EQ(entry.modifiedTime, Micros1601(1796794600));
        EXPECT_EQ(DecodedBody(*cache.reader, entry), ImageEntry().body);
    }
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(cache.reader->SkippedEntries(), 0u);

    // A stop request ends the walk before the next entry.
    OpenedCache again = OpenCacheFolder(folder);
    ASSERT_TRUE(again.reader);
    EXPECT_FALSE(again.reader->Next(entry, [] { return true; }));
}

TEST(FirefoxCache2, RangesAltDataEncryptionAndUnknownVersions)
{
    auto withHead = [](const std::string& statusLine, const std::vector<std::string>& headers) {
        Cache2EntryLayout layout = ImageEntry();
        layout.elements = { { "response-head", ResponseHead(statusLine, headers) } };
        return layout;
    };
    Cache2EntryLayout part =
        withHead("HTTP/1.1 206 Partial Content", { "Content-Range: bytes 0-26/1000" });
    Cache2EntryLayout whole =
        withHead("HTTP/1.1 206 Partial Content", { "Content-Range: bytes 0-26/27" });
    Cache2EntryLayout middle =
        withHead("HTTP/1.1 206 Partial Content", { "Content-Range: bytes 100-126/1000" });
    Cache2EntryLayout cut = withHead("HTTP/1.1 200 OK", { "Content-Length: 500" });
    Cache2EntryLayout script = withHead("HTTP/1.1 200 OK", { "Content-Type: text/javascript" });
    script.elements.push_back({ "alt-data", "1;10,javascript/moz-script-bytecode-20261209" });
    Cache2EntryLayout encrypted = ImageEntry();
    encrypted.encrypted = true;
    Cache2EntryLayout newer = ImageEntry();
    newer.trailerVersion = 7;
    newer.headerVersion = 7;
    Cache2EntryLayout empty = withHead("HTTP/1.1 204 No Content", {});
    empty.body.clear();

    std::vector<CacheEntry> entries =
        ListWritten("ff-states",
                    { BuildCache2Entry(part), BuildCache2Entry(whole), BuildCache2Entry(cut),
                      BuildCache2Entry(script), BuildCache2Entry(encrypted),
                      BuildCache2Entry(newer), BuildCache2Entry(empty), BuildCache2Entry(middle) });
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries[0].body, BodyAvailability::Partial);
    EXPECT_EQ(entries[0].contentLength, 1000);
    EXPECT_EQ(entries[1].body, BodyAvailability::Complete);
    EXPECT_EQ(entries[1].contentLength, 27);
    EXPECT_EQ(entries[2].body, BodyAvailability::Partial);
    EXPECT_NE(entries[2].problem, "");
    EXPECT_EQ(entries[3].storedSize, 10u);
    EXPECT_EQ(entries[3].body, BodyAvailability::Complete);
    EXPECT_EQ(entries[4].body, BodyAvailability::Unreadable);
    EXPECT_NE(entries[4].problem.find("encrypted"), std::string::npos);
    EXPECT_EQ(entries[4].url, "https://cdn.example/a.jpg");
    EXPECT_EQ(entries[5].url, "https://cdn.example/a.jpg");
    EXPECT_EQ(entries[5].status, 200);
    EXPECT_NE(entries[5].problem.find("unknown cache2 version 7"), std::string::npos);
    EXPECT_EQ(entries[5].body, BodyAvailability::Unreadable);
    EXPECT_EQ(entries[6].body, BodyAvailability::Absent);
    EXPECT_EQ(entries[7].body, BodyAvailability::Unreadable);
    EXPECT_EQ(entries[7].problem, "stored range starts at byte 100");

    OpenedCache cache = OpenCacheFolder(std::string(ZEMA_TEST_TEMP) + "/ff-states");
    ASSERT_TRUE(cache.reader);
    BodyDecodeResult result;
    EXPECT_EQ(DecodedBody(*cache.reader, entries[3], &result), ImageEntry().body.substr(0, 10));
    EXPECT_EQ(result.status, BodyDecodeStatus::Ok);
    EXPECT_EQ(DecodedBody(*cache.reader, entries[4], &result), "");
    EXPECT_EQ(result.status, BodyDecodeStatus::ReadFailed);
    EXPECT_EQ(DecodedBody(*cache.reader, entries[6], &result), "");
    EXPECT_EQ(result.status, BodyDecodeStatus::Ok);
}

TEST(FirefoxCache2, DamagedAndHostileFiles)
{
    std::vector<uint8_t> good = BuildCache2Entry(ImageEntry());
    std::vector<std::vector<uint8_t>> files;
    // Every truncation: the trailer then points into or past what is left.
    for (size_t length = 0; length < good.size(); ++length)
        files.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    Cache2EntryLayout layout = ImageEntry();
    layout.offsetOverride = 0x7FFFFFFF;  // past the file, and a huge chunk-hash count
    files.push_back(BuildCache2Entry(layout));
    layout = ImageEntry();
    layout.offsetOverride = static_cast<int64_t>(layout.body.size()) + 3;  // inside the metadata
    files.push_back(BuildCache2Entry(layout));
    layout = ImageEntry();
    layout.keySizeOverride = 0xFFFFFFF0;  // key running past everything
    files.push_back(BuildCache2Entry(layout));
    layout = ImageEntry();
    layout.keyNul = false;
    layout.elements.clear();
    files.push_back(BuildCache2Entry(layout));
    layout = ImageEntry();
    layout.key.clear();
    files.push_back(BuildCache2Entry(layout));
    size_t hostileCount = files.size();

    // Still listed, with what went wrong: elements without their last NUL.
    std::vector<uint8_t> unterminated = good;
    unterminated[unterminated.size() - 9] = 'x';
    files.push_back(unterminated);

    uint64_t skipped = 0;
    std::vector<CacheEntry> entries = ListWritten("ff-hostile", files, &skipped);
    EXPECT_EQ(skipped, hostileCount);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].url, "https://cdn.example/a.jpg");
    EXPECT_NE(entries[0].problem.find("damaged metadata"), std::string::npos);
    EXPECT_EQ(entries[0].status, 0);
    EXPECT_EQ(entries[0].statusLine, "");
}

TEST(FirefoxCache2, BodyFileChangedAfterListing)
{
    std::vector<CacheEntry> entries = ListWritten("ff-changed", { BuildCache2Entry(ImageEntry()) });
    ASSERT_EQ(entries.size(), 1u);
    OpenedCache cache = OpenCacheFolder(std::string(ZEMA_TEST_TEMP) + "/ff-changed");
    ASSERT_TRUE(cache.reader);
    WriteFileBytes(entries[0].bodyFile, { 1, 2, 3 });
    BodyDecodeResult result;
    DecodedBody(*cache.reader, entries[0], &result);
    EXPECT_EQ(result.status, BodyDecodeStatus::ReadFailed);
    std::remove(entries[0].bodyFile.c_str());
    DecodedBody(*cache.reader, entries[0], &result);
    EXPECT_EQ(result.status, BodyDecodeStatus::ReadFailed);
}

TEST(SafeFileName, WindowsSafeNames)
{
    struct Case {
        const char* url;
        const char* name;
    } cases[] = {
        { "https://cdn.example/img/a.jpg?x=1#f", "a.jpg" },
        { "https://cdn.example/", "cdn.example" },
        { "https://cdn.example:8080", "cdn.example" },
        { "https://user@cdn.example/dir/", "dir" },
        { "http://x.example/..", "x.example" },
        { "http://x.example/..%2F..%2Fetc%2Fpasswd", "passwd" },
        { "http://x.example/a%5C..%5Cb.txt", "b.txt" },
        { "http://x.example/CON", "_CON" },
        { "http://x.example/con.txt", "_con.txt" },
        { "http://x.example/LPT9.js", "_LPT9.js" },
        { "http://x.example/COM0.js", "COM0.js" },
        { "http://x.example/Aux%20.tar.gz", "_Aux .tar.gz" },
        { "http://x.example/a%3Ab*c%22d%7Ce%3Cf%3E.js", "a_b_c_d_e_f_.js" },
        { "http://x.example/name.%20.%20", "name" },
        { "http://x.example/%01%1Fctl", "__ctl" },
        { "http://x.example/...", "x.example" },
        { "data:text/plain,hello", "plain,hello" },
        { "", "file" },
        { "http:///", "file" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(SafeFileName(c.url), c.name) << c.url;

    std::string longName = SafeFileName("http://x.example/" + std::string(400, 'a') + ".html");
    EXPECT_EQ(longName.size(), 120u);
    EXPECT_EQ(longName.substr(115), ".html");
    std::string device = SafeFileName("http://x.example/nul." + std::string(300, 'a'));
    EXPECT_EQ(device.size(), 120u);
    EXPECT_EQ(device.substr(0, 5), "_nul.");
    // A cut never leaves half of a UTF-8 character.
    std::string accented =
        SafeFileName("http://x.example/" + std::string(200, 'a') + "\xC3\xA9", 121);
    EXPECT_EQ(accented.size(), 121u);
    std::string cutInside =
        SafeFileName("http://x.example/" + std::string(120, 'a') + "\xC3\xA9\xC3\xA9", 121);
    EXPECT_EQ(cutInside.size(), 120u);

    std::vector<std::string> taken = { "a.js", "a (2).js", "noext", ".hidden" };
    auto isTaken = [&taken](const std::string& name) {
        return std::find(taken.begin(), taken.end(), name) != taken.end();
    };
    EXPECT_EQ(UniqueFileName("b.js", isTaken), "b.js");
    EXPECT_EQ(UniqueFileName("a.js", isTaken), "a (3).js");
    EXPECT_EQ(UniqueFileName("noext", isTaken), "noext (2)");
    EXPECT_EQ(UniqueFileName(".hidden", isTaken), ".hidden (2)");
}
