// The growable, locked byte buffer that a preview request serves its page from.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "preview/page_buffer.h"

namespace {

std::vector<BYTE> Pattern(size_t size, unsigned seed = 0)
{
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = BYTE((i * 31 + seed) % 251);
    return bytes;
}

std::vector<BYTE> ReadAll(CPageBuffer& buffer, uint32_t chunk)
{
    std::vector<BYTE> all;
    std::vector<BYTE> part(chunk);
    while (uint32_t n = buffer.Read(part.data(), chunk))
        all.insert(all.end(), part.begin(), part.begin() + n);
    return all;
}

TEST(PageBuffer, StartsEmptyWithA64KiBBlock)
{
    CPageBuffer buffer;
    EXPECT_EQ(65536u, buffer.Capacity());
    EXPECT_EQ(0u, buffer.TotalAppended());
    BYTE byte = 0;
    EXPECT_EQ(0u, buffer.Read(&byte, 1));
}

TEST(PageBuffer, ReadsA1000BytePageIn400ByteSteps)
{
    CPageBuffer buffer;
    std::vector<BYTE> page = Pattern(1000);
    ASSERT_TRUE(buffer.Append(page.data(), 1000));

    std::vector<BYTE> got;
    BYTE part[400];
    for (uint32_t expected : { 400u, 400u, 200u, 0u, 0u }) {
        uint32_t n = buffer.Read(part, sizeof(part));
        EXPECT_EQ(expected, n);
        got.insert(got.end(), part, part + n);
    }
    EXPECT_EQ(page, got);
}

TEST(PageBuffer, ReadOfZeroCopiesNothing)
{
    CPageBuffer buffer;
    ASSERT_TRUE(buffer.AppendString("<html></html>"));
    char part[4] = { '#', '#', '#', '#' };
    EXPECT_EQ(0u, buffer.Read(part, 0));
    EXPECT_EQ('#', part[0]);
    EXPECT_EQ(0u, buffer.Read(nullptr, 4));
    // Nothing was consumed by either.
    EXPECT_EQ(4u, buffer.Read(part, 4));
    EXPECT_EQ(std::string("<htm"), std::string(part, 4));
}

TEST(PageBuffer, AppendJustBelowTheSlackStaysInTheFirstBlock)
{
    CPageBuffer buffer;
    std::vector<BYTE> page = Pattern(65519);
    ASSERT_TRUE(buffer.Append(page.data(), 65519));
    EXPECT_EQ(65536u, buffer.Capacity());
    EXPECT_EQ(page, ReadAll(buffer, 4096));
}

TEST(PageBuffer, AppendAtTheSlackGrowsTheBlockKeepingTheData)
{
    CPageBuffer buffer;
    std::vector<BYTE> page = Pattern(65520);
    ASSERT_TRUE(buffer.Append(page.data(), 65520));
    EXPECT_EQ(147456u, buffer.Capacity());  // 65,536 + 65,536 free + 16,384
    EXPECT_EQ(page, ReadAll(buffer, 4096));
}

TEST(PageBuffer, GrowthKeepsEarlierUnreadBytes)
{
    CPageBuffer buffer;
    std::vector<BYTE> first = Pattern(60000, 1);
    std::vector<BYTE> second = Pattern(20000, 2);
    ASSERT_TRUE(buffer.Append(first.data(), 60000));
    ASSERT_TRUE(buffer.Append(second.data(), 20000));
    // free 5,536, need 20,016: shortfall 14,480 rounds up to 16,384.
    EXPECT_EQ(65536u + 5536u + 16384u, buffer.Capacity());

    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(first, ReadAll(buffer, 7000));
}

TEST(PageBuffer, TotalAppendedCountsPastReads)
{
    CPageBuffer buffer;
    std::vector<BYTE> page = Pattern(600);
    ASSERT_TRUE(buffer.Append(page.data(), 600));
    EXPECT_EQ(page, ReadAll(buffer, 256));
    EXPECT_EQ(600u, buffer.TotalAppended());
    ASSERT_TRUE(buffer.AppendString("more"));
    EXPECT_EQ(604u, buffer.TotalAppended());
}

TEST(PageBuffer, EmptyAppendsSucceedAndChangeNothing)
{
    CPageBuffer buffer;
    BYTE byte = 1;
    EXPECT_TRUE(buffer.Append(nullptr, 10));
    EXPECT_TRUE(buffer.Append(&byte, 0));
    EXPECT_TRUE(buffer.AppendString(nullptr));
    EXPECT_TRUE(buffer.AppendString(""));
    EXPECT_EQ(0u, buffer.TotalAppended());
    EXPECT_EQ(0u, buffer.Read(&byte, 1));
}

TEST(PageBuffer, AppendStringLeavesTheTerminatorOut)
{
    CPageBuffer buffer;
    ASSERT_TRUE(buffer.AppendString("abc"));
    ASSERT_TRUE(buffer.AppendString("de"));
    EXPECT_EQ(5u, buffer.TotalAppended());
    char part[16] = {};
    EXPECT_EQ(5u, buffer.Read(part, sizeof(part)));
    EXPECT_STREQ("abcde", part);
}

TEST(PageBuffer, AppendTooLargeForAnyBlockFailsAndChangesNothing)
{
    CPageBuffer buffer;
    ASSERT_TRUE(buffer.AppendString("kept"));
    BYTE byte = 0;
    // Lengths whose slack would wrap round 32 bits, and one no heap of a
    // 32-bit process can hold (a 64-bit test build may well allocate it).
    EXPECT_FALSE(buffer.Append(&byte, 0xFFFFFFF0u));
    EXPECT_FALSE(buffer.Append(&byte, 0xFFFFFFFFu));
    if (sizeof(void*) == 4) {
        EXPECT_FALSE(buffer.Append(&byte, 0xF0000000u));
    }
    EXPECT_EQ(4u, buffer.TotalAppended());
    EXPECT_EQ(65536u, buffer.Capacity());
    char part[8] = {};
    EXPECT_EQ(4u, buffer.Read(part, sizeof(part)));
    EXPECT_STREQ("kept", part);
}

TEST(PageBuffer, ConcurrentAppendAndReadLoseAndTearNothing)
{
    CPageBuffer buffer;
    const uint32_t kChunks = 2000;
    const uint32_t kChunkSize = 97;
    std::vector<BYTE> expected;
    for (uint32_t i = 0; i < kChunks; ++i) {
        std::vector<BYTE> chunk = Pattern(kChunkSize, i);
        expected.insert(expected.end(), chunk.begin(), chunk.end());
    }

    std::thread writer([&] {
        for (uint32_t i = 0; i < kChunks; ++i)
            buffer.Append(expected.data() + i * kChunkSize, kChunkSize);
    });
    std::vector<BYTE> got;
    BYTE part[61];
    while (got.size() < expected.size()) {
        uint32_t n = buffer.Read(part, sizeof(part));
        got.insert(got.end(), part, part + n);
        if (!n)
            std::this_thread::yield();
    }
    writer.join();

    EXPECT_EQ(expected, got);
    EXPECT_EQ(kChunks * kChunkSize, buffer.TotalAppended());
    EXPECT_EQ(0u, buffer.Read(part, sizeof(part)));
}

}  // namespace
