// The Image browser's thumbnail function on the codec's fixtures: a picture's
// bytes give the same tile read from its file or from memory, and the stop
// token, the budget and bytes that are no picture each give their status.
#include "images/thumbnail.h"
#include "images/thumbnail_tile.h"
#include "tests/host/test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t edge = 120;

Thumbnail FromFile(const std::string& path, uint64_t budget = kThumbnailMemoryBudget,
                   const StopToken& stop = {})
{
    return MakeThumbnail(PictureBytes::File(path.c_str()), edge, budget, stop);
}

Thumbnail FromMemory(const std::vector<uint8_t>& bytes, uint32_t type,
                     uint64_t budget = kThumbnailMemoryBudget, const StopToken& stop = {})
{
    return MakeThumbnail(PictureBytes::Memory(bytes.data(), bytes.size(), type), edge, budget,
                         stop);
}

// A large JPEG (shrunk on load, then rescaled), a paletted GIF, a 16-bit PNG
// and a BMP, each smaller or larger than the tile.
TEST(ThumbnailPath, MemoryAndFileGiveTheSameTile)
{
    struct Case {
        const char* name;
        uint32_t width, height;
    };
    for (const Case& c : { Case{ "jpg_photo.jpg", 1000, 750 }, Case{ "gif_256.gif", 61, 37 },
                           Case{ "png_rgb16.png", 61, 37 }, Case{ "bmp_8.bmp", 0, 0 } }) {
        SCOPED_TRACE(c.name);
        const std::string path = FixturePath(c.name);
        const std::vector<uint8_t> bytes = ReadBytes(path);
        const Thumbnail file = FromFile(path);
        ASSERT_EQ(file.status, ThumbnailStatus::kDone);
        if (c.width) {
            EXPECT_EQ(file.sourceWidth, c.width);
            EXPECT_EQ(file.sourceHeight, c.height);
        }
        EXPECT_LE(file.fit.width, edge);
        EXPECT_LE(file.fit.height, edge);
        for (uint32_t type : { TypeFromExtension(c.name), static_cast<uint32_t>(kImageUnknown) }) {
            const Thumbnail memory = FromMemory(bytes, type);
            ASSERT_EQ(memory.status, ThumbnailStatus::kDone) << "type " << type;
            EXPECT_EQ(memory.sourceWidth, file.sourceWidth);
            EXPECT_EQ(memory.sourceHeight, file.sourceHeight);
            EXPECT_EQ(memory.fit.x, file.fit.x);
            EXPECT_EQ(memory.fit.y, file.fit.y);
            EXPECT_EQ(memory.fit.width, file.fit.width);
            EXPECT_EQ(memory.fit.height, file.fit.height);
            EXPECT_EQ(memcmp(memory.tile.get(), file.tile.get(), TileBytes(edge)), 0)
                << "type " << type;
        }
    }
}

// A token that answers yes from its first poll stops before any row, one that
// answers yes later stops the decode at a row; either way no tile comes back.
TEST(ThumbnailPath, AStopEndsTheWork)
{
    const std::string path = FixturePath("jpg_photo.jpg");
    const std::vector<uint8_t> bytes = ReadBytes(path);
    for (int pollsBeforeStop : { 0, 3 }) {
        SCOPED_TRACE(pollsBeforeStop);
        int polls = 0;
        StopToken stop = [&] { return polls++ >= pollsBeforeStop; };
        const Thumbnail file = FromFile(path, kThumbnailMemoryBudget, stop);
        EXPECT_EQ(file.status, ThumbnailStatus::kCancelled);
        EXPECT_FALSE(file.tile);
        // Heard at the decode's rows, not only after it, and asked no more.
        EXPECT_EQ(polls, pollsBeforeStop + 1);
        polls = 0;
        const Thumbnail memory = FromMemory(bytes, kImageJPEG, kThumbnailMemoryBudget, stop);
        EXPECT_EQ(memory.status, ThumbnailStatus::kCancelled);
        EXPECT_FALSE(memory.tile);
        EXPECT_EQ(polls, pollsBeforeStop + 1);
    }
}

// A JPEG's pixels, even shrunk on load (125 by 94), and a PNG's outgrow a
// small budget.
TEST(ThumbnailPath, ABudgetRefusesLargerPictures)
{
    EXPECT_EQ(FromFile(FixturePath("jpg_photo.jpg"), 16 * 1024).status, ThumbnailStatus::kTooLarge);
    const std::vector<uint8_t> png = ReadBytes(FixturePath("png_rgb8.png"));
    EXPECT_EQ(FromMemory(png, kImagePNG, 61 * 37).status, ThumbnailStatus::kTooLarge);
    EXPECT_EQ(FromMemory(png, kImagePNG, 64 * 1024).status, ThumbnailStatus::kDone);
}

// The size test sees the picture's own size, not the shrunk one a JPEG is
// decoded at, and a refusal costs no tile.
TEST(ThumbnailPath, TheSizeTestSeesTheSourceSize)
{
    uint32_t seenWidth = 0, seenHeight = 0;
    const Thumbnail refused =
        MakeThumbnail(PictureBytes::File(FixturePath("jpg_photo.jpg").c_str()), 120,
                      kThumbnailMemoryBudget, {}, [&](uint32_t width, uint32_t height) {
                          seenWidth = width;
                          seenHeight = height;
                          return false;
                      });
    EXPECT_EQ(refused.status, ThumbnailStatus::kSizeRefused);
    EXPECT_FALSE(refused.tile);
    EXPECT_EQ(seenWidth, 1000u);
    EXPECT_EQ(seenHeight, 750u);
}

TEST(ThumbnailPath, BytesThatAreNoPicture)
{
    EXPECT_EQ(FromFile(FixturePath("index.txt")).status, ThumbnailStatus::kNotAPicture);
    const std::vector<uint8_t> text(200, 'a');
    EXPECT_EQ(FromMemory(text, kImageUnknown).status, ThumbnailStatus::kNotAPicture);
    EXPECT_EQ(FromMemory(text, kImagePNG).status, ThumbnailStatus::kNotAPicture);
    std::vector<uint8_t> cut = ReadBytes(FixturePath("png_rgb16.png"));
    cut.resize(cut.size() / 2);
    EXPECT_EQ(FromMemory(cut, kImagePNG).status, ThumbnailStatus::kCorrupt);
}

}  // namespace
