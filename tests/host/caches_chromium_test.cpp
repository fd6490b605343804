// The Chromium readers on caches the real browser wrote: the committed fixture
// and, when the build made them, this run's caches; then damaged copies of the
// fixture made here, which must give clear problems, not crashes or hangs.
#include "tests/common/served_manifest.h"
#include "caches/cache_files.h"
#include "caches/cache_reader.h"
#include "caches/chromium_key.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cctype>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const char* const kChromiumCaches[] = { "chromium-simple", "chromium-blockfile", "chromium-sql" };

// Chromium's sites carry no port; the manifest names the page's origin.
std::string SiteOf(const std::string& origin)
{
    size_t hostStart = origin.find("://");
    size_t colon = origin.rfind(':');
    if (hostStart == std::string::npos || colon <= hostStart + 2)
        return origin;
    return origin.substr(0, colon);
}

std::string MediaTypeOf(const std::string& contentType)
{
    std::string type = contentType.substr(0, contentType.find(';'));
    while (!type.empty() && type.back() == ' ')
        type.pop_back();
    for (char& c : type)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return type;
}

struct Listed {
    CacheEntry entry;
    std::string decoded;
    BodyDecodeStatus status = BodyDecodeStatus::Ok;
};

std::vector<Listed> ListAll(const fs::path& folder, uint64_t* skipped = nullptr,
                            std::string* problem = nullptr)
{
    std::vector<Listed> all;
    OpenedCache opened = OpenCacheFolder(folder.string());
    if (problem)
        *problem = opened.problem;
    if (!opened.reader)
        return all;
    Listed item;
    while (opened.reader->Next(item.entry, nullptr)) {
        item.decoded.clear();
        item.status =
            ReadEntryBody(*opened.reader, item.entry, 1 << 24, nullptr,
                          [&item](const uint8_t* data, size_t size) {
                              item.decoded.append(reinterpret_cast<const char*>(data), size);
                              return true;
                          })
                .status;
        all.push_back(item);
    }
    if (skipped)
        *skipped = opened.reader->SkippedEntries();
    return all;
}

// The SQL backend's databases (not their journals or write-ahead logs).
std::vector<fs::path> SqlDatabases(const fs::path& folder)
{
    std::vector<fs::path> databases;
    for (const auto& item : fs::directory_iterator(folder)) {
        std::string name = item.path().filename().string();
        if (name.rfind("sqldb", 0) == 0 && name.find('-') == std::string::npos)
            databases.push_back(item.path());
    }
    return databases;
}

// How many live entries the cache itself says it holds, read by other means than the readers.
int64_t CountedByTheCache(const fs::path& folder, const std::string& cache)
{
    int64_t count = 0;
    if (cache == "chromium-simple") {
        for (const auto& item : fs::directory_iterator(folder)) {
            std::string name = item.path().filename().string();
            count += name.size() == 18 && name.substr(16) == "_0";
        }
    } else if (cache == "chromium-blockfile") {
        std::string index = ReadWholeFile((folder / "index").string());
        count =
            index.size() >= 12 ? LoadLe32(reinterpret_cast<const uint8_t*>(index.data()) + 8) : -1;
    } else {
        for (const fs::path& database : SqlDatabases(folder)) {
            sqlite3* db = nullptr;
            std::string uri = "file:" + database.string() + "?immutable=1";
            sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
            sqlite3_stmt* rows = nullptr;
            sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM resources WHERE doomed=0", -1, &rows,
                               nullptr);
            if (rows && sqlite3_step(rows) == SQLITE_ROW)
                count += sqlite3_column_int64(rows, 0);
            sqlite3_finalize(rows);
            sqlite3_close(db);
        }
    }
    return count;
}

// Every entry is listed once; every served response the browser kept is found
// under its URL and top-level site with the status, type, coding and body served.
void CheckAgainstManifest(const fs::path& root, const std::string& cache)
{
    SCOPED_TRACE(cache);
    fs::path folder = root / cache;
    std::vector<Listed> listed = ListAll(folder);
    // The blockfile index also counts the children holding a ranged entry's
    // pieces, at least one per entry of ranges.
    int64_t counted = CountedByTheCache(folder, cache);
    int64_t ranged = 0;
    for (const Listed& item : listed)
        ranged += cache == "chromium-blockfile" && item.entry.status == 206;
    EXPECT_LE(static_cast<int64_t>(listed.size()), counted);
    EXPECT_GE(static_cast<int64_t>(listed.size()) + ranged, counted);
    std::map<std::pair<std::string, std::string>, const Listed*> byKey;
    for (const Listed& item : listed) {
        EXPECT_FALSE(item.entry.url.empty()) << item.entry.key;
        EXPECT_TRUE(
            byKey.emplace(std::make_pair(item.entry.url, item.entry.topLevelSite), &item).second)
            << "listed twice: " << item.entry.key;
    }
    // Ranges of one resource (206 responses) are kept in one entry, so their
    // bodies are checked together: the bytes read from offset 0 are a prefix
    // of the ranges served one after another, all of them when complete, and
    // the bytes held (gaps left out) are never fewer than those read.
    std::map<std::string, std::string> servedRanges;
    size_t rows = 0, found = 0;
    for (const ManifestRow& row : ReadManifest((root / "manifest.tsv").string())) {
        if (row.cache != cache)
            continue;
        ++rows;
        if (row.status == "206")
            servedRanges[row.url] += ReadWholeFile((root / row.body).string());
        auto hit = byKey.find({ row.url, SiteOf(row.site) });
        if (hit == byKey.end()) {
            for (const Listed& item : listed)
                EXPECT_NE(item.entry.url, row.url) << "under another site: " << item.entry.key;
            continue;
        }
        ++found;
        const CacheEntry& entry = hit->second->entry;
        SCOPED_TRACE(row.url);
        EXPECT_EQ(std::to_string(entry.status), row.status);
        EXPECT_EQ(entry.contentType, MediaTypeOf(row.contentType));
        EXPECT_EQ(entry.contentEncoding, row.contentEncoding);
        EXPECT_TRUE(entry.problem.empty()) << entry.problem;
        if (row.body.empty() || row.status == "206")
            continue;
        EXPECT_EQ(entry.body, BodyAvailability::Complete);
        EXPECT_EQ(hit->second->status, BodyDecodeStatus::Ok);
        EXPECT_TRUE(hit->second->decoded == ReadWholeFile((root / row.body).string()))
            << "decoded body differs from " << row.body;
    }
    for (const auto& ranges : servedRanges) {
        SCOPED_TRACE(ranges.first);
        for (const Listed& item : listed) {
            if (item.entry.url != ranges.first)
                continue;
            EXPECT_NE(item.entry.body, BodyAvailability::Unreadable);
            EXPECT_EQ(item.status, BodyDecodeStatus::Ok);
            EXPECT_GT(item.entry.storedSize, 0u) << "the browser kept some of the ranges";
            EXPECT_LE(item.decoded.size(), item.entry.storedSize);
            EXPECT_LE(item.entry.storedSize, ranges.second.size());
            EXPECT_EQ(ranges.second.compare(0, item.decoded.size(), item.decoded), 0);
            if (item.entry.body == BodyAvailability::Complete)
                EXPECT_EQ(item.decoded.size(), ranges.second.size());
            else
                EXPECT_LT(item.decoded.size(), ranges.second.size());
        }
    }
    EXPECT_GT(rows, 0u);
    EXPECT_GT(found, rows / 2) << "most served responses are kept by the browser";
}

// The set with a key too long for its entry record and a body in several blobs.
fs::path FixtureRoot()
{
    return fs::path(ZEMA_SOURCE_DIR) / "tests/host/caches/chromium-small";
}

fs::path FreshCopy(const std::string& cache, const std::string& name)
{
    fs::path to = fs::path(ZEMA_TEST_TEMP) / ("chromium-" + name);
    fs::remove_all(to);
    fs::copy(FixtureRoot() / cache, to, fs::copy_options::recursive);
    return to;
}

void Patch(const fs::path& file, uint64_t offset, const void* bytes, size_t count)
{
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
}

void Patch32(const fs::path& file, uint64_t offset, uint32_t value)
{
    uint8_t bytes[4] = { uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                         uint8_t(value >> 24) };
    Patch(file, offset, bytes, 4);
}

std::vector<fs::path> SimpleEntryFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& item : fs::directory_iterator(folder)) {
        std::string name = item.path().filename().string();
        if (name.size() == 18 && name.substr(16) == "_0")
            files.push_back(item.path());
    }
    return files;
}

// Entry records of a blockfile cache: (data file, offset) of each, from the index table.
std::vector<std::pair<fs::path, uint64_t>> BlockfileRecords(const fs::path& folder,
                                                            std::vector<uint64_t>* slots = nullptr)
{
    std::vector<std::pair<fs::path, uint64_t>> records;
    std::string index = ReadWholeFile((folder / "index").string());
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(index.data());
    uint32_t tableLen = LoadLe32(bytes + 28);
    for (uint64_t slot = 0; slot < tableLen; ++slot) {
        uint32_t addr = LoadLe32(bytes + 0x170 + 4 * slot);
        if (addr == 0)
            continue;
        records.emplace_back(folder / ("data_" + std::to_string((addr >> 16) & 0xFF)),
                             8192 + uint64_t(addr & 0xFFFF) * 256);
        if (slots)
            slots->push_back(slot);
    }
    return records;
}

}  // namespace

TEST(ChromiumKey, DoubleKeysPlainUrlsAndJunk)
{
    ChromiumKey key =
        ParseChromiumKey("1/0/_dk_s_http://127.0.0.1 http://localhost http://localhost:8/f.html");
    EXPECT_EQ(key.url, "http://localhost:8/f.html");
    EXPECT_EQ(key.topFrameSite, "http://127.0.0.1");
    key = ParseChromiumKey(
        "1/0/_dk_cn_https://news.example https://cdn.example https://cdn.example/a.jpg");
    EXPECT_EQ(key.url, "https://cdn.example/a.jpg");
    EXPECT_EQ(key.topFrameSite, "https://news.example");
    EXPECT_EQ(key.frameSite, "https://cdn.example");
    EXPECT_EQ(ParseChromiumKey("1/0/https://a.example/x").url, "https://a.example/x");
    EXPECT_EQ(ParseChromiumKey("1/0/https://a.example/x").topFrameSite, "");
    EXPECT_EQ(ParseChromiumKey("http://old.example/y.gif").url, "http://old.example/y.gif");
    EXPECT_EQ(ParseChromiumKey(std::string("http://a.example/z\0junk", 23)).url,
              "http://a.example/z");
    EXPECT_EQ(ParseChromiumKey("1/0/_dk_").url, "");
    EXPECT_EQ(ParseChromiumKey("\x01\x02 garbage").url, "");
    std::string parent;
    uint64_t signature = 0, index = 0;
    ASSERT_TRUE(
        ParseSparseChildKey("Range_1/0/http://a.example/v.mp4:1a2b:3", parent, signature, index));
    EXPECT_EQ(parent, "1/0/http://a.example/v.mp4");
    EXPECT_EQ(signature, 0x1a2bu);
    EXPECT_EQ(index, 3u);
    EXPECT_FALSE(ParseSparseChildKey("Range_nocolon", parent, signature, index));
}

TEST(ChromiumCaches, CommittedCachesMatchWhatWasServed)
{
    for (const char* set : { "small", "chromium-small" }) {
        fs::path root = fs::path(ZEMA_SOURCE_DIR) / "tests/host/caches" / set;
        SCOPED_TRACE(set);
        for (const char* cache : kChromiumCaches) {
            EXPECT_EQ(CacheFormatName(DetectCacheFormat((root / cache).string())),
                      std::string(cache).substr(9));
            CheckAgainstManifest(root, cache);
        }
    }
}

// ZEMA_BROWSER_CACHES in the environment points the test at another set, such
// as the benchmark's caches of 10,000 entries.
fs::path BrowserCaches()
{
    const char* other = std::getenv("ZEMA_BROWSER_CACHES");
    return other && *other ? fs::path(other) : fs::path(ZEMA_BROWSER_CACHES);
}

TEST(ChromiumCaches, CachesOfThisRunMatchWhatWasServed)
{
    fs::path root = BrowserCaches();
    if (!fs::exists(root / "manifest.tsv"))
        GTEST_SKIP() << "no browser caches made in " << root;
    for (const char* cache : kChromiumCaches)
        CheckAgainstManifest(root, cache);
}

// The ranged entry of this run's caches, its missing first ranges added by code
// in each backend's own way: it must then read as complete and equal to the
// ranges served, which proves the pieces are joined in order.
TEST(ChromiumCaches, RangedEntryMadeWholeReadsAsServed)
{
    fs::path root = ZEMA_BROWSER_CACHES;
    if (!fs::exists(root / "manifest.tsv"))
        GTEST_SKIP() << "no browser caches made in " << root;
    std::string url, served;
    for (const ManifestRow& row : ReadManifest((root / "manifest.tsv").string())) {
        if (row.cache == "chromium-simple" && row.status == "206") {
            url = row.url;
            served += ReadWholeFile((root / row.body).string());
        }
    }
    if (url.empty())
        GTEST_SKIP() << "no ranges served";
    const std::string kRangeMagic("\x6b\x67\x53\x65\x01\xbf\x97\xeb", 8);

    for (const char* cache : kChromiumCaches) {
        SCOPED_TRACE(cache);
        fs::path folder = fs::path(ZEMA_TEST_TEMP) / (std::string(cache) + "-made-whole");
        fs::remove_all(folder);
        fs::copy(root / cache, folder, fs::copy_options::recursive);
        uint64_t missing = 0;
        if (std::string(cache) == "chromium-simple") {
            for (const auto& item : fs::directory_iterator(folder)) {
                std::string name = item.path().filename().string();
                if (name.size() != 18 || name.substr(16) != "_s")
                    continue;
                std::string sparse = ReadWholeFile(item.path().string());
                size_t first = sparse.find(kRangeMagic);
                ASSERT_NE(first, std::string::npos);
                missing = LoadLe64(reinterpret_cast<const uint8_t*>(sparse.data()) + first + 8);
                std::string range = kRangeMagic + std::string(24, '\0');
                for (int b = 0; b < 8; ++b)
                    range[16 + b] = static_cast<char>(missing >> (8 * b));
                std::ofstream(item.path(), std::ios::binary | std::ios::app)
                    << range << served.substr(0, missing);
            }
        } else if (std::string(cache) == "chromium-blockfile") {
            for (const auto& record : BlockfileRecords(folder)) {
                std::string bytes = ReadWholeFile(record.first.string()).substr(record.second, 256);
                const uint8_t* entry = reinterpret_cast<const uint8_t*>(bytes.data());
                if (bytes.compare(96, 6, "Range_") != 0)
                    continue;
                uint32_t data = LoadLe32(entry + 60), bitmap = LoadLe32(entry + 64);
                ASSERT_EQ(data >> 28, 8u) << "child data in a separate file";
                char name[16];
                std::snprintf(name, sizeof(name), "f_%06x", data & 0x0FFFFFFF);
                missing = served.size();
                Patch(folder / name, 0, served.data(), served.size());
                uint64_t at = 8192 + uint64_t(bitmap & 0xFFFF) * 256 + 64;
                std::string bits((served.size() + 1023) / 1024 / 8, '\xff');
                Patch(folder / ("data_" + std::to_string((bitmap >> 16) & 0xFF)), at, bits.data(),
                      bits.size());
                uint8_t last =
                    static_cast<uint8_t>((1u << (((served.size() + 1023) / 1024) % 8)) - 1);
                Patch(folder / ("data_" + std::to_string((bitmap >> 16) & 0xFF)), at + bits.size(),
                      &last, 1);
            }
        } else {
            for (const fs::path& database : SqlDatabases(folder)) {
                sqlite3* db = nullptr;
                ASSERT_EQ(sqlite3_open(database.string().c_str(), &db), SQLITE_OK);
                sqlite3_stmt* insert = nullptr;
                sqlite3_prepare_v2(db,
                                   "INSERT INTO blobs(res_id, start, end, check_sum, blob) "
                                   "SELECT res_id, 0, ?1, 0, ?2 FROM resources WHERE cache_key "
                                   "LIKE '%' || ?3 AND (SELECT MIN(start) FROM blobs b WHERE "
                                   "b.res_id = resources.res_id) = ?1",
                                   -1, &insert, nullptr);
                // The lowest range start the browser kept is a multiple of its read size.
                for (uint64_t start = 1024; start < served.size(); start += 1024) {
                    sqlite3_reset(insert);
                    sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(start));
                    sqlite3_bind_blob(insert, 2, served.data(), static_cast<int>(start),
                                      SQLITE_STATIC);
                    sqlite3_bind_text(insert, 3, url.c_str(), -1, SQLITE_STATIC);
                    sqlite3_step(insert);
                    if (sqlite3_changes(db) > 0)
                        missing = start;
                }
                sqlite3_finalize(insert);
                sqlite3_close(db);
            }
        }
        ASSERT_GT(missing, 0u);
        bool seen = false;
        for (const Listed& item : ListAll(folder)) {
            if (item.entry.url != url)
                continue;
            seen = true;
            EXPECT_EQ(item.entry.body, BodyAvailability::Complete);
            EXPECT_EQ(item.entry.storedSize, served.size());
            EXPECT_TRUE(item.decoded == served);
        }
        EXPECT_TRUE(seen);
    }
}

TEST(ChromiumHostile, SimpleEntriesCutShortChangedOrGone)
{
    fs::path folder = FreshCopy("chromium-simple", "simple-cut");
    std::vector<fs::path> files = SimpleEntryFiles(folder);
    ASSERT_GE(files.size(), 5u);
    // Cut at every interesting place: inside the header, the key, the body, the end records.
    const int64_t cuts[] = { 0, 10, 30, 200, -30, -1 };
    for (size_t i = 0; i < 6; ++i) {
        int64_t size = static_cast<int64_t>(fs::file_size(files[i]));
        fs::resize_file(files[i], static_cast<uint64_t>(cuts[i] >= 0 ? cuts[i] : size + cuts[i]));
    }
    uint64_t skipped = 0;
    std::vector<Listed> listed = ListAll(folder, &skipped);
    EXPECT_EQ(listed.size() + skipped, files.size());
    size_t damaged = 0;
    for (const Listed& item : listed) {
        if (!item.entry.problem.empty()) {
            ++damaged;
            EXPECT_EQ(item.entry.body, BodyAvailability::Unreadable);
            EXPECT_FALSE(item.entry.key.empty());
        }
    }
    EXPECT_EQ(damaged + skipped, 6u);
    EXPECT_GE(skipped, 2u);  // the files cut inside the header and the key name nothing

    folder = FreshCopy("chromium-simple", "simple-version");
    files = SimpleEntryFiles(folder);
    Patch32(files[0], 8, 6);
    // Stream 0's flags: a response info version this reader does not know.
    std::string last = ReadWholeFile(files[1].string());
    const uint8_t* eof = reinterpret_cast<const uint8_t*>(last.data()) + last.size() - 24;
    uint64_t sha = (LoadLe32(eof + 8) & 2) ? 32 : 0;
    uint64_t stream0 = last.size() - 24 - sha - LoadLe32(eof + 16);
    Patch32(files[1], stream0 + 4, 4);
    std::map<std::string, int> problems;
    for (const Listed& item : ListAll(folder))
        problems[item.entry.problem]++;
    EXPECT_EQ(problems.count("unknown simple entry version 6"), 1u);
    EXPECT_EQ(problems.count("unknown response info version 4"), 1u);

    // Entries deleted between the listing and the reading, or between the
    // reading and the body: the entry just read keeps its file open, so its
    // body is still the one listed; asked for again, it is gone.
    folder = FreshCopy("chromium-simple", "simple-gone");
    OpenedCache opened = OpenCacheFolder(folder.string());
    ASSERT_TRUE(opened.reader);
    files = SimpleEntryFiles(folder);
    fs::remove(files[0]);
    CacheEntry entry;
    size_t seen = 0;
    bool bodyRead = false;
    bool bodyFailed = false;
    const auto readBody = [&] {
        return ReadEntryBody(*opened.reader, entry, 1 << 20, nullptr,
                             [](const uint8_t*, size_t) { return true; });
    };
    while (opened.reader->Next(entry, nullptr)) {
        ++seen;
        if (entry.storedSize > 0 && !bodyFailed) {
            fs::remove(entry.bodyFile);
            const BodyDecodeResult kept = readBody();
            bodyRead = kept.status == BodyDecodeStatus::Ok && kept.rawBytes == entry.storedSize;
            bodyFailed = readBody().status == BodyDecodeStatus::ReadFailed;
        }
    }
    EXPECT_EQ(seen + opened.reader->SkippedEntries(), files.size());
    EXPECT_EQ(opened.reader->SkippedEntries(), 1u);
    EXPECT_TRUE(bodyRead);
    EXPECT_TRUE(bodyFailed);
}

TEST(ChromiumHostile, BlockfileLoopsWildAddressesAndNewVersions)
{
    fs::path folder = FreshCopy("chromium-blockfile", "blockfile-version");
    Patch32(folder / "index", 4, 0x40000);
    std::string problem;
    EXPECT_TRUE(ListAll(folder, nullptr, &problem).empty());
    EXPECT_EQ(problem, "unknown blockfile version 4.0");
    // The older index versions keep the same header fields and table.
    for (uint32_t version : { 0x20000u, 0x20001u }) {
        Patch32(folder / "index", 4, version);
        EXPECT_EQ(ListAll(folder).size(), 9u) << std::hex << version;
    }

    // Every slot names the first entry, and every entry links to itself.
    folder = FreshCopy("chromium-blockfile", "blockfile-loop");
    std::vector<uint64_t> slots;
    auto records = BlockfileRecords(folder, &slots);
    ASSERT_GE(records.size(), 5u);
    std::string index = ReadWholeFile((folder / "index").string());
    uint32_t first =
        LoadLe32(reinterpret_cast<const uint8_t*>(index.data()) + 0x170 + 4 * slots[0]);
    for (size_t i = 0; i < records.size(); ++i) {
        uint32_t own =
            LoadLe32(reinterpret_cast<const uint8_t*>(index.data()) + 0x170 + 4 * slots[i]);
        Patch32(records[i].first, records[i].second + 4, own);
        Patch32(folder / "index", 0x170 + 4 * slots[i], first);
    }
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ListAll(folder).size(), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));

    // Bodies at blocks past the file's end, sizes past their blocks, keys past their record.
    folder = FreshCopy("chromium-blockfile", "blockfile-wild");
    records = BlockfileRecords(folder);
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& record = records[i];
        if (i % 3 == 0)
            Patch32(record.first, record.second + 60, 0xA300FFFF);  // 4 x 1K blocks at 65535
        else if (i % 3 == 1)
            Patch32(record.first, record.second + 44, 0x7FFFFFFF);  // body size
        else
            Patch32(record.first, record.second + 32, 5000);  // key length, no long key
    }
    uint64_t skipped = 0;
    std::vector<Listed> listed = ListAll(folder, &skipped);
    EXPECT_EQ(listed.size() + skipped, records.size());
    for (const Listed& item : listed) {
        EXPECT_FALSE(item.entry.problem.empty()) << item.entry.key;
        EXPECT_NE(item.entry.body, BodyAvailability::Complete) << item.entry.key;
    }
}

TEST(ChromiumHostile, SqlDatabasesCutShortOrMidWrite)
{
    fs::path folder = FreshCopy("chromium-sql", "sql-cut");
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.path().filename().string().rfind("sqldb", 0) == 0)
            fs::resize_file(item.path(), fs::file_size(item.path()) / 2);
    }
    uint64_t skipped = 0;
    std::vector<Listed> listed = ListAll(folder, &skipped);
    for (const Listed& item : listed) {
        if (item.status != BodyDecodeStatus::Ok)
            EXPECT_NE(item.entry.body, BodyAvailability::Absent);
    }
    EXPECT_LT(listed.size(), 10u);

    // A journal whose header still names a transaction: the entries of that
    // database say what was left unread, the others do not.
    folder = FreshCopy("chromium-sql", "sql-hot-journal");
    std::ofstream(folder / "sqldb1-journal", std::ios::binary)
        << std::string("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7\0\0\0\0", 12);
    size_t noted = 0;
    listed = ListAll(folder);
    for (const Listed& item : listed)
        noted += item.entry.problem == "an unfinished write in sqldb1-journal not rolled back";
    EXPECT_GT(noted, 0u);
    EXPECT_LT(noted, listed.size());

    // A head far larger than any response info: that entry alone is unreadable.
    folder = FreshCopy("chromium-sql", "sql-huge-head");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder / "sqldb2").string().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE resources SET head=zeroblob(40000000) WHERE res_id=1",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    size_t unreadable = 0;
    listed = ListAll(folder);
    for (const Listed& item : listed)
        unreadable += item.entry.body == BodyAvailability::Unreadable;
    EXPECT_EQ(listed.size(), 10u);
    EXPECT_EQ(unreadable, 1u);
}

TEST(ChromiumHostile, FolderOfJunkFilesNamedLikeEntries)
{
    fs::path folder = fs::path(ZEMA_TEST_TEMP) / "chromium-junk";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const int kFiles = 100000;
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "%016x_0", i * 2654435761u);
        std::ofstream(folder / name, std::ios::binary) << "junk" << i;
    }
    ASSERT_EQ(DetectCacheFormat(folder.string()), CacheFormat::ChromiumSimple);
    auto started = std::chrono::steady_clock::now();
    uint64_t skipped = 0;
    EXPECT_TRUE(ListAll(folder, &skipped).empty());
    EXPECT_EQ(skipped, static_cast<uint64_t>(kFiles));
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - started);
    EXPECT_LT(seconds.count(), 30);
    std::printf("%d junk files read in %lld s\n", kFiles, static_cast<long long>(seconds.count()));
    fs::remove_all(folder);
}

namespace {

// The ranged entry of this run's caches: its URL and the ranges served, joined.
bool RangedResource(const fs::path& root, std::string& url, std::string& served)
{
    for (const ManifestRow& row : ReadManifest((root / "manifest.tsv").string())) {
        if (row.cache == "chromium-simple" && row.status == "206") {
            url = row.url;
            served += ReadWholeFile((root / row.body).string());
        }
    }
    return !url.empty();
}

const Listed* Find(const std::vector<Listed>& listed, const std::string& url)
{
    for (const Listed& item : listed) {
        if (item.entry.url == url)
            return &item;
    }
    return nullptr;
}

std::string RangeRecord(uint64_t offset, uint64_t length)
{
    std::string record("\x6b\x67\x53\x65\x01\xbf\x97\xeb", 8);
    for (uint64_t value : { offset, length, uint64_t(0) }) {
        for (int b = 0; b < 8; ++b)
            record += static_cast<char>(value >> (8 * b));
    }
    return record;
}

}  // namespace

// Ranges the browser would not write, in each backend's own way: out of order,
// overlapping, past their file or blob, children of another signature and
// chains that loop. The entry is listed with what it holds; reading gives the
// bytes from offset 0 up to the first gap, or fails plainly.
TEST(ChromiumHostile, SparseRangesOutOfOrderOverlappingPastTheirStoreOrLooping)
{
    fs::path root = ZEMA_BROWSER_CACHES;
    std::string url, served;
    if (!fs::exists(root / "manifest.tsv") || !RangedResource(root, url, served))
        GTEST_SKIP() << "no ranged entry in " << root;
    ASSERT_GT(served.size(), 3000u);
    std::map<std::string, uint64_t> heldBefore;
    for (const char* cache : kChromiumCaches) {
        std::vector<Listed> original = ListAll(root / cache);
        const Listed* item = Find(original, url);
        ASSERT_TRUE(item) << cache;
        heldBefore[cache] = item->entry.storedSize;
        ASSERT_GT(heldBefore[cache], 1500u) << cache;
    }

    // Simple: two ranges at the start, the second overlapping the first, after
    // the browser's own; then one running past the end of the file.
    fs::path folder = fs::path(ZEMA_TEST_TEMP) / "chromium-sparse-simple";
    fs::remove_all(folder);
    fs::copy(root / "chromium-simple", folder, fs::copy_options::recursive);
    for (const auto& file : fs::directory_iterator(folder)) {
        std::string name = file.path().filename().string();
        if (name.size() == 18 && name.substr(16) == "_s")
            std::ofstream(file.path(), std::ios::binary | std::ios::app)
                << RangeRecord(0, 1000) << served.substr(0, 1000) << RangeRecord(500, 1000)
                << served.substr(500, 1000) << RangeRecord(1500, uint64_t(1) << 62) << "short";
    }
    std::vector<Listed> listed = ListAll(folder);
    const Listed* item = Find(listed, url);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->entry.storedSize, heldBefore["chromium-simple"] + 1500);
    EXPECT_EQ(item->entry.body, BodyAvailability::Partial);
    EXPECT_EQ(item->status, BodyDecodeStatus::Ok);
    EXPECT_TRUE(item->decoded == served.substr(0, 1500));

    // Blockfile: the child's chain loops through the parent and itself, its
    // bitmap claims every block of 1 MB past the end of its data file, then it
    // carries another signature than its parent.
    folder = fs::path(ZEMA_TEST_TEMP) / "chromium-sparse-blockfile";
    fs::remove_all(folder);
    fs::copy(root / "chromium-blockfile", folder, fs::copy_options::recursive);
    std::vector<uint64_t> slots;
    auto records = BlockfileRecords(folder, &slots);
    std::string index = ReadWholeFile((folder / "index").string());
    auto addressOf = [&index](uint64_t slot) {
        return LoadLe32(reinterpret_cast<const uint8_t*>(index.data()) + 0x170 + 4 * slot);
    };
    int child = -1, parent = -1;
    for (size_t i = 0; i < records.size(); ++i) {
        std::string bytes = ReadWholeFile(records[i].first.string()).substr(records[i].second, 256);
        if (bytes.compare(96, 6, "Range_") == 0)
            child = static_cast<int>(i);
        else if (bytes.find(url) != std::string::npos)
            parent = static_cast<int>(i);
    }
    ASSERT_GE(child, 0);
    ASSERT_GE(parent, 0);
    const auto& childRecord = records[child];
    Patch32(childRecord.first, childRecord.second + 4, addressOf(slots[child]));
    Patch32(records[parent].first, records[parent].second + 4, addressOf(slots[child]));
    std::string childBytes =
        ReadWholeFile(childRecord.first.string()).substr(childRecord.second, 256);
    uint32_t control = LoadLe32(reinterpret_cast<const uint8_t*>(childBytes.data()) + 64);
    fs::path controlFile = folder / ("data_" + std::to_string((control >> 16) & 0xFF));
    uint64_t controlAt = 8192 + uint64_t(control & 0xFFFF) * 256;
    Patch(controlFile, controlAt + 64, std::string(128, '\xff').data(), 128);
    Patch32(childRecord.first, childRecord.second + 44, 1 << 20);  // data size: the whole child
    auto started = std::chrono::steady_clock::now();
    listed = ListAll(folder);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    item = Find(listed, url);
    ASSERT_TRUE(item);
    uint32_t data = LoadLe32(reinterpret_cast<const uint8_t*>(childBytes.data()) + 60);
    ASSERT_EQ(data >> 28, 8u) << "child data in a separate file";
    char name[16];
    std::snprintf(name, sizeof(name), "f_%06x", data & 0x0FFFFFFF);
    uint64_t fileSize = fs::file_size(folder / name);
    EXPECT_EQ(item->entry.storedSize, fileSize) << "held bytes end with the data file";
    EXPECT_EQ(item->decoded.size(), fileSize);
    std::string signature = ReadWholeFile(controlFile.string()).substr(controlAt, 4);
    Patch32(controlFile, controlAt,
            LoadLe32(reinterpret_cast<const uint8_t*>(signature.data())) ^ 1);
    item = Find(listed = ListAll(folder), url);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->entry.storedSize, 0u) << "a child of another signature is not this entry's";
    EXPECT_TRUE(item->decoded.empty());

    // SQL: two overlapping blobs at the start, then one whose row says more
    // than its blob holds.
    folder = fs::path(ZEMA_TEST_TEMP) / "chromium-sparse-sql";
    fs::remove_all(folder);
    fs::copy(root / "chromium-sql", folder, fs::copy_options::recursive);
    const char* const kInsert = "INSERT INTO blobs(res_id, start, end, check_sum, blob) "
                                "SELECT res_id, ?1, ?2, 0, ?3 FROM resources "
                                "WHERE cache_key LIKE '%' || ?4";
    auto addBlobs = [&](std::vector<std::pair<uint64_t, std::string>> blobs, uint64_t extra) {
        for (const fs::path& database : SqlDatabases(folder)) {
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(database.string().c_str(), &db), SQLITE_OK);
            sqlite3_stmt* insert = nullptr;
            ASSERT_EQ(sqlite3_prepare_v2(db, kInsert, -1, &insert, nullptr), SQLITE_OK);
            for (const auto& blob : blobs) {
                sqlite3_reset(insert);
                sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(blob.first));
                sqlite3_bind_int64(
                    insert, 2, static_cast<sqlite3_int64>(blob.first + blob.second.size() + extra));
                sqlite3_bind_blob(insert, 3, blob.second.data(),
                                  static_cast<int>(blob.second.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 4, url.c_str(), -1, SQLITE_STATIC);
                EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
            }
            sqlite3_finalize(insert);
            sqlite3_close(db);
        }
    };
    addBlobs({ { 0, served.substr(0, 1000) }, { 500, served.substr(500, 1000) } }, 0);
    item = Find(listed = ListAll(folder), url);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->entry.storedSize, heldBefore["chromium-sql"] + 1500);
    EXPECT_EQ(item->entry.body, BodyAvailability::Partial);
    EXPECT_EQ(item->status, BodyDecodeStatus::Ok);
    EXPECT_TRUE(item->decoded == served.substr(0, 1500));
    addBlobs({ { 1500, served.substr(1500, 100) } }, 1000);
    item = Find(listed = ListAll(folder), url);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->entry.storedSize, heldBefore["chromium-sql"] + 2600);
    EXPECT_EQ(item->status, BodyDecodeStatus::ReadFailed);
}
