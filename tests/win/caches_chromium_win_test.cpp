// The Chromium readers in the Windows build: the committed caches real
// browsers wrote, read through the C runtime's 64-bit calls and the cross-built
// SQLite, bodies decoded to what the server sent; then the same caches copied
// under a folder name outside ASCII, as the viewer hands over ANSI paths.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/served_manifest.h"
#include "caches/cache_files.h"
#include "caches/cache_reader.h"
#include "platform/shared_file_open.h"
#include "tests/win/temp_tree.h"

namespace {

const char* const kCaches[] = { "chromium-simple", "chromium-blockfile", "chromium-sql" };

// url -> identity body of each 200 row served to `cache`.
std::map<std::string, std::string> ServedBodies(const std::string& root, const std::string& cache)
{
    std::map<std::string, std::string> bodies;
    for (const ManifestRow& row : ReadManifest(root + "/manifest.tsv"))
        if (row.cache == cache && row.status == "200" && !row.body.empty())
            bodies[row.url] = ReadWholeFile(root + "/" + row.body);
    return bodies;
}

// Every entry the server sent a 200 body for reads back as that body; returns
// how many did.
size_t CheckCache(const std::string& folder, const std::map<std::string, std::string>& served)
{
    OpenedCache opened = OpenCacheFolder(folder);
    EXPECT_TRUE(opened.reader) << folder << ": " << opened.problem;
    if (!opened.reader)
        return 0;
    size_t matched = 0;
    CacheEntry entry;
    while (opened.reader->Next(entry, nullptr)) {
        auto body = served.find(entry.url);
        if (body == served.end())
            continue;
        std::string decoded;
        BodyDecodeResult result = ReadEntryBody(
            *opened.reader, entry, 1 << 24, nullptr, [&decoded](const uint8_t* data, size_t size) {
                decoded.append(reinterpret_cast<const char*>(data), size);
                return true;
            });
        EXPECT_EQ(result.status, BodyDecodeStatus::Ok) << entry.url;
        EXPECT_TRUE(decoded == body->second) << entry.url;
        matched += decoded == body->second;
    }
    EXPECT_EQ(opened.reader->SkippedEntries(), 0u);
    return matched;
}

void CopyFolder(TempTree& tree, const std::string& from, const std::string& to)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyFolder(tree, from + "\\" + name, to + "\\" + name);
        else
            tree.AddFile(to + "\\" + name, ReadWholeFile(from + "\\" + name));
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

TEST(ChromiumReadersWin, CommittedCachesDecodeAsServed)
{
    for (const char* set : { "small", "chromium-small" }) {
        std::string root = std::string(ZEMA_WIN_CACHES) + "\\" + set;
        for (const char* cache : kCaches) {
            SCOPED_TRACE(std::string(set) + "/" + cache);
            auto served = ServedBodies(root, cache);
            EXPECT_GE(CheckCache(root + "\\" + cache, served), served.size() / 2);
        }
    }
}

TEST(ChromiumReadersWin, AnsiFolderNames)
{
    TempTree tree;
    std::string root = std::string(ZEMA_WIN_CACHES) + "\\chromium-small";
    for (const char* cache : kCaches) {
        SCOPED_TRACE(cache);
        // "Caché" in the ANSI code page (1252 here).
        std::string relative = std::string("Cach\xe9\\") + cache;
        CopyFolder(tree, root + "\\" + cache, relative);
        auto served = ServedBodies(root, cache);
        EXPECT_GE(CheckCache(tree.Root() + "\\" + relative, served), served.size() / 2);
    }
}

// A browser running beside the viewer deletes and renames its entry files at
// will: with the program's opener a file being read still goes; the C
// runtime's own open would stand in the way.
TEST(ChromiumReadersWin, AFileBeingReadCanBeDeletedByItsBrowser)
{
    TempTree tree;
    const std::string root = std::string(ZEMA_WIN_CACHES) + "\\chromium-small";
    for (CacheFileOpener opener : { CacheFileOpener(nullptr), &OpenSharedReadOnly }) {
        SetCacheFileOpener(opener);
        const std::string folder = opener ? "shared" : "runtime";
        CopyFolder(tree, root + "\\chromium-simple", folder);
        OpenedCache opened = OpenCacheFolder(tree.Root() + "\\" + folder);
        ASSERT_TRUE(opened.reader);
        CacheEntry entry;
        while (opened.reader->Next(entry, nullptr) && entry.storedSize == 0) {}
        ASSERT_GT(entry.storedSize, 0u);
        RawBodyReader body = opened.reader->OpenStoredBody(entry);
        uint8_t first = 0;
        ASSERT_EQ(body(&first, 1), 1);
        EXPECT_EQ(::DeleteFileA(entry.bodyFile.c_str()) != FALSE, opener != nullptr)
            << (opener ? "shared" : "the C runtime's open");
    }
    SetCacheFileOpener(nullptr);
}
