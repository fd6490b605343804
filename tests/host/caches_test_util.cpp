#include "tests/host/caches_test_util.h"

#include "caches/cache_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <dirent.h>
#include <gtest/gtest.h>

namespace {

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void PutText(std::vector<uint8_t>& out, const std::string& text, bool nul)
{
    out.insert(out.end(), text.begin(), text.end());
    if (nul)
        out.push_back(0);
}

}  // namespace

std::string ResponseHead(const std::string& statusLine, const std::vector<std::string>& headers)
{
    std::string head = statusLine + "\r\n";
    for (const std::string& header : headers)
        head += header + "\r\n";
    return head;
}

std::vector<uint8_t> BuildCache2Entry(const Cache2EntryLayout& layout)
{
    std::vector<uint8_t> out(layout.body.begin(), layout.body.end());
    uint64_t chunks = (layout.body.size() + 256 * 1024 - 1) / (256 * 1024);
    PutBigEndian32(out, 0);  // metadata hash, not checked by the reader
    for (uint64_t i = 0; i < chunks; ++i) {
        out.push_back(0);
        out.push_back(0);
    }
    PutBigEndian32(out, layout.headerVersion);
    PutBigEndian32(out, 1);  // fetch count
    PutBigEndian32(out, layout.lastFetched);
    PutBigEndian32(out, layout.lastModified);
    PutBigEndian32(out, 1245443154);  // frecency
    PutBigEndian32(out, layout.lastFetched + 86400);
    PutBigEndian32(out, layout.keySizeOverride >= 0 ? static_cast<uint32_t>(layout.keySizeOverride)
                                                    : static_cast<uint32_t>(layout.key.size()));
    if (layout.headerVersion != 1)
        PutBigEndian32(out, 0);  // flags
    PutText(out, layout.key, layout.keyNul);
    for (const auto& element : layout.elements) {
        PutText(out, element.first, true);
        PutText(out, element.second, true);
    }
    uint32_t offset = layout.offsetOverride >= 0 ? static_cast<uint32_t>(layout.offsetOverride)
                                                 : static_cast<uint32_t>(layout.body.size());
    if (layout.trailerVersion != 0) {
        PutBigEndian32(out, layout.trailerVersion);
        PutBigEndian32(out, offset | (layout.encrypted ? 0x80000000u : 0));
    } else {
        PutBigEndian32(out, offset);
    }
    return out;
}

std::string CacheTempFolder(const std::string& name)
{
    std::string path = std::string(ZEMA_TEST_TEMP) + "/" + name;
    std::string command = "rm -rf '" + path + "' && mkdir -p '" + path + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return path;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << path;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file),
                                std::istreambuf_iterator<char>());
}

std::vector<CacheEntry> ListEntries(const std::string& folder, uint64_t* skipped)
{
    std::vector<CacheEntry> entries;
    OpenedCache cache = OpenCacheFolder(folder);
    EXPECT_TRUE(cache.reader) << folder << ": " << cache.problem;
    if (!cache.reader)
        return entries;
    CacheEntry entry;
    while (cache.reader->Next(entry, nullptr))
        entries.push_back(entry);
    if (skipped)
        *skipped = cache.reader->SkippedEntries();
    return entries;
}

std::string DecodedBody(CacheReader& reader, const CacheEntry& entry, BodyDecodeResult* result)
{
    std::string body;
    BodyDecodeResult decoded = ReadEntryBody(
        reader, entry, 64ull << 20, nullptr, [&body](const uint8_t* data, size_t size) {
            body.append(reinterpret_cast<const char*>(data), size);
            return true;
        });
    if (result)
        *result = decoded;
    return body;
}

std::vector<std::string> ListSubfolders(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (struct dirent* item = readdir(dir)) {
            std::string name = item->d_name;
            if (name != "." && name != ".." && CacheFolderExists(folder + "/" + name))
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}
