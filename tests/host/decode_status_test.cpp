// The status a decode ends with, on real files: what the program acts on,
// whatever text the library or decoder chose for the user.
#include <gtest/gtest.h>

#include <ostream>

#include "images/codec/image_decoders.h"
#include "tests/host/test_util.h"

void PrintTo(DecodeStatus status, std::ostream* out)
{
    *out << DecodeStatusName(status);
}

namespace {

std::vector<uint8_t> Cut(const std::string& fixture, size_t keep)
{
    std::vector<uint8_t> bytes = ReadBytes(FixturePath(fixture));
    bytes.resize(std::min(keep, bytes.size()));
    return bytes;
}

std::vector<uint8_t> Half(const std::string& fixture)
{
    return Cut(fixture, ReadBytes(FixturePath(fixture)).size() / 2);
}

DecodeStatus StatusOf(const std::vector<uint8_t>& bytes, uint32_t type, int32_t frame = 0,
                      uint64_t budget = 0)
{
    CImageObject image;
    image.SetFrame(frame);
    image.Settings().memoryBudget = budget;
    const bool decoded = DecodeBytes(image, bytes, type);
    // Whatever went wrong, nothing is left half made.
    EXPECT_EQ(decoded, image.HasPixels());
    return image.Status();
}

int32_t StopAtOnce(CImageObject*, intptr_t)
{
    return 1;
}

int32_t StopOnSecondCall(CImageObject*, intptr_t calls)
{
    return ++*reinterpret_cast<int*>(calls) >= 2;
}

TEST(DecodeStatus, FailuresAreToldApartWhateverTheirText)
{
    const std::vector<uint8_t> png = ReadBytes(FixturePath("png_rgb8.png"));
    EXPECT_EQ(StatusOf(png, kImagePNG), DecodeStatus::kOk);
    // Cut short: the library's "Read Error", libtiff's strips, a BMP header.
    EXPECT_EQ(StatusOf(Half("png_rgb8.png"), kImagePNG), DecodeStatus::kCorrupt);
    EXPECT_EQ(StatusOf(Half("tif_rgb_strips.tif"), kImageTIFF), DecodeStatus::kCorrupt);
    EXPECT_EQ(StatusOf(Cut("bmp_24.bmp", 30), kImageBMP), DecodeStatus::kCorrupt);
    // Another format under the name, and nothing any decoder knows.
    const std::vector<uint8_t> gif = ReadBytes(FixturePath("gif_256.gif"));
    for (uint32_t type : { kImagePNG, kImageJPEG, kImageTIFF, kImageWEBP, kImageRAS })
        EXPECT_EQ(StatusOf(gif, type), DecodeStatus::kUnsupported) << type;
    EXPECT_EQ(StatusOf(std::vector<uint8_t>(300, 0x55), kImageUnknown), DecodeStatus::kUnsupported);
    // Frames the file does not have.
    EXPECT_EQ(StatusOf(ReadBytes(FixturePath("tif_pages.tif")), kImageTIFF, 2),
              DecodeStatus::kNoFrame);
    EXPECT_EQ(StatusOf(ReadBytes(FixturePath("gif_anim.gif")), kImageGIF, 99),
              DecodeStatus::kNoFrame);
    // Past a thumbnail's budget: the picture itself, or a progressive JPEG's
    // working memory before it.
    EXPECT_EQ(StatusOf(png, kImagePNG, 0, 4096), DecodeStatus::kTooLarge);
    EXPECT_EQ(StatusOf(ReadBytes(FixturePath("jpg_progressive.jpg")), kImageJPEG, 0, 4096),
              DecodeStatus::kTooLarge);

    CImageObject missing("/nonexistent/x.png", 0);
    EXPECT_EQ(missing.Status(), DecodeStatus::kUnreadable);
}

TEST(DecodeStatus, TheCallerStoppingIsSizeOnlyBeforeThePixelsAndCancelledAmongThem)
{
    for (const char* name : { "tif_rgb_strips.tif", "bmp_24.bmp" }) {
        CImageObject image;
        image.SetEscape(StopAtOnce, 0);
        EXPECT_FALSE(DecodeBytes(image, ReadBytes(FixturePath(name)), TypeFromExtension(name)));
        EXPECT_EQ(image.Status(), DecodeStatus::kSizeOnly) << name;
    }
    for (const char* name : { "png_rgb8.png", "jpg_colour.jpg", "gif_anim.gif" }) {
        int calls = 0;
        CImageObject image;
        image.SetEscape(StopOnSecondCall, reinterpret_cast<intptr_t>(&calls));
        EXPECT_FALSE(DecodeBytes(image, ReadBytes(FixturePath(name)), TypeFromExtension(name)));
        EXPECT_EQ(image.Status(), DecodeStatus::kCancelled) << name;
    }
    // The same object decoding again starts afresh.
    CImageObject image;
    image.SetEscape(StopAtOnce, 0);
    const std::vector<uint8_t> png = ReadBytes(FixturePath("png_rgb8.png"));
    EXPECT_FALSE(DecodeBytes(image, png, kImagePNG));
    image.SetEscape(nullptr, 0);
    EXPECT_TRUE(DecodeBytes(image, png, kImagePNG));
    EXPECT_EQ(image.Status(), DecodeStatus::kOk);
}

}  // namespace
