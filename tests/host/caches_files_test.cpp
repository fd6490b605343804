// The file layer under every reader: windowed reads at any offset against the
// file's own bytes, pages kept under a budget far smaller than the file, and
// the one-pass folder listing with sizes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "caches/cache_files.h"
#include "caches/cache_pages.h"
#include "tests/host/caches_test_util.h"

namespace {

std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

// What a read of [offset, offset + count) must give from `bytes`.
std::vector<uint8_t> Expected(const std::vector<uint8_t>& bytes, uint64_t offset, size_t count)
{
    if (offset >= bytes.size())
        return {};
    size_t end = static_cast<size_t>(std::min<uint64_t>(bytes.size(), offset + count));
    return std::vector<uint8_t>(bytes.begin() + static_cast<ptrdiff_t>(offset),
                                bytes.begin() + static_cast<ptrdiff_t>(end));
}

}  // namespace

TEST(CacheFiles, WindowedReadsGiveTheFilesBytesAtEveryOffset)
{
    std::string folder = CacheTempFolder("cache-files");
    std::vector<uint8_t> bytes = Pattern(3 * CacheFile::kWindowSize + 1234);
    const uint64_t size = bytes.size();
    std::string path = folder + "/entry";
    WriteFileBytes(path, bytes);

    CacheFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.Size(), static_cast<int64_t>(size));
    // The readers' own patterns: header then key, trailer then the records
    // before it, reads across a window's edge, past the end, larger than a window.
    const std::pair<uint64_t, size_t> reads[] = {
        { 0, 24 },
        { 24, 60 },
        { CacheFile::kForwardWindow - 1, 2 },
        { size - 24, 24 },
        { size - 524, 500 },
        { size - 9000, 24 },
        { CacheFile::kWindowSize - 5, 10 },
        { size - 10, 20 },
        { size, 5 },
        { size + 100000, 8 },
        { 100, CacheFile::kWindowSize + 1 },
        { 0, size },
        { 7, 1 },
        { ~0ull - 3, 8 },
    };
    for (const auto& read : reads) {
        std::vector<uint8_t> got(read.second, 0xEE);
        int64_t count = file.ReadAt(read.first, got.data(), got.size());
        std::vector<uint8_t> expected = Expected(bytes, read.first, read.second);
        if (read.first > size) {
            EXPECT_LE(count, 0) << read.first;
            continue;
        }
        ASSERT_EQ(count, static_cast<int64_t>(expected.size())) << read.first << "+" << read.second;
        EXPECT_EQ(file.ReadExact(read.first, got.data(), read.second),
                  expected.size() == read.second);
        got.resize(static_cast<size_t>(count));
        EXPECT_EQ(got, expected) << read.first << "+" << read.second;
    }

    // Cut short while open: reads outside what was already read see the new end.
    file.Close();
    ASSERT_TRUE(file.Open(path));
    uint8_t head[24];
    ASSERT_TRUE(file.ReadExact(0, head, sizeof(head)));
    std::filesystem::resize_file(path, CacheFile::kWindowSize + 100);
    uint8_t tail[24];
    EXPECT_FALSE(file.ReadExact(size - 24, tail, sizeof(tail)));
    EXPECT_EQ(file.ReadAt(CacheFile::kWindowSize + 90, tail, sizeof(tail)), 10);

    // Neither a folder nor a FIFO named like an entry is opened (the FIFO must not block).
    EXPECT_FALSE(file.Open(folder));
    ASSERT_EQ(mkfifo((folder + "/0123456789abcdef_0").c_str(), 0600), 0);
    EXPECT_FALSE(file.Open(folder + "/0123456789abcdef_0"));
    EXPECT_FALSE(file.IsOpen());
}

TEST(CacheFiles, PagesUnderATinyBudgetGiveTheFilesBytes)
{
    std::string folder = CacheTempFolder("cache-pages");
    std::vector<uint8_t> first = Pattern(1000), second = Pattern(777);
    std::reverse(second.begin(), second.end());
    WriteFileBytes(folder + "/data_1", first);
    WriteFileBytes(folder + "/data_2", second);
    CacheFile files[2];
    ASSERT_TRUE(files[0].Open(folder + "/data_1"));
    ASSERT_TRUE(files[1].Open(folder + "/data_2"));
    const std::vector<uint8_t>* contents[2] = { &first, &second };

    // Three pages of 64 bytes for two files: nearly every read evicts, some span pages.
    CachePages pages(64, 3);
    uint32_t state = 12345;
    for (int i = 0; i < 2000; ++i) {
        state = state * 1103515245u + 12345u;
        uint32_t which = (state >> 8) & 1;
        uint64_t offset = (state >> 9) % 1100;
        size_t count = 1 + (state >> 20) % 200;
        std::vector<uint8_t> got(count);
        const std::vector<uint8_t>& bytes = *contents[which];
        bool whole = offset + count <= bytes.size();
        ASSERT_EQ(pages.ReadExact(files[which], which, offset, got.data(), count), whole)
            << which << " " << offset << "+" << count;
        if (whole)
            ASSERT_EQ(got, Expected(bytes, offset, count)) << which << " " << offset;
    }
    uint8_t byte = 0;
    EXPECT_TRUE(pages.ReadExact(files[0], 0, 999, &byte, 1));
    EXPECT_EQ(byte, first[999]);
    EXPECT_FALSE(pages.ReadExact(files[0], 0, ~0ull - 1, &byte, 1));
}

TEST(CacheFiles, FolderSizesListedInOnePass)
{
    std::string folder = CacheTempFolder("cache-folder-sizes");
    WriteFileBytes(folder + "/f_000001", std::vector<uint8_t>(10, 1));
    WriteFileBytes(folder + "/f_00000a", {});
    WriteFileBytes(folder + "/data_1", std::vector<uint8_t>(5, 1));
    std::filesystem::create_directories(folder + "/f_000002");
    std::vector<CacheFolderFile> files = ListCacheFolderSizes(folder, "f_", 100);
    std::sort(files.begin(), files.end(),
              [](const CacheFolderFile& a, const CacheFolderFile& b) { return a.name < b.name; });
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "f_000001");
    EXPECT_EQ(files[0].size, 10);
    EXPECT_EQ(files[1].name, "f_00000a");
    EXPECT_EQ(files[1].size, 0);
    EXPECT_EQ(ListCacheFolderSizes(folder, "f_", 1).size(), 1u);
    EXPECT_TRUE(ListCacheFolderSizes(folder + "/missing", "f_", 100).empty());
}
