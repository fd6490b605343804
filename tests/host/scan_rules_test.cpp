// The portable rules of the scan and the Image browser: the date and size
// filters, the type-list search, where a picture goes on its tile and what
// a copy is called.
#include "browser/copy_names.h"
#include "images/thumbnail_fit.h"
#include "scan/filter_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>

namespace {

TEST(DateTest, ComparesDayNumbersByMode)
{
    const int32_t chosen = DayNumber(2005, 12, 5);
    EXPECT_EQ(chosen, 20051205);
    EXPECT_TRUE(PassesDateTest(Exactly, 20051205, chosen));
    EXPECT_FALSE(PassesDateTest(Exactly, 20051206, chosen));
    EXPECT_TRUE(PassesDateTest(Before, 20051204, chosen));
    EXPECT_FALSE(PassesDateTest(Before, 20051205, chosen));
    EXPECT_TRUE(PassesDateTest(Since, 20051205, chosen));
    EXPECT_FALSE(PassesDateTest(Since, 20051130, chosen));
    for (int32_t mode : { int32_t(AnyDate), 4, -1 })
        EXPECT_TRUE(PassesDateTest(mode, 19990101, chosen)) << mode;
}

TEST(SizeTest, BothSidesAlwaysCount)
{
    EXPECT_FALSE(PassesSizeTest(SmallerThan, 99, 150, 100, 100));
    EXPECT_TRUE(PassesSizeTest(SmallerThan, 99, 99, 100, 100));
    EXPECT_FALSE(PassesSizeTest(NotSmallerThan, 150, 99, 100, 100));
    EXPECT_TRUE(PassesSizeTest(NotSmallerThan, 100, 100, 100, 100));
    EXPECT_TRUE(PassesSizeTest(ExactSize, 300, 200, 300, 200));
    EXPECT_FALSE(PassesSizeTest(ExactSize, 300, 201, 300, 200));
    EXPECT_TRUE(PassesSizeTest(7, 1, 1, 100, 100)) << "unknown modes keep every picture";
    EXPECT_TRUE(PassesSizeTest(NotSmallerThan, 5, 5, 0, 0)) << "0 is accepted as a bound";
}

TEST(TypeList, IsASubstringSearchOfTheLastExtension)
{
    EXPECT_STREQ(ExtensionOfName("logo[1].GIF"), "GIF");
    EXPECT_STREQ(ExtensionOfName("archive.tar.gz"), "gz");
    EXPECT_STREQ(ExtensionOfName("README"), "README") << "no dot: the whole name";
    EXPECT_STREQ(ExtensionOfName("odd."), "");
    for (const char* extension : { "gif", "GIF", "jpg", "if", "pg", "g;j", "jpeg", "" })
        EXPECT_TRUE(TypeListContains("gif;jpg;jpeg", extension)) << extension;
    for (const char* extension : { "png", "gifs", "bmp" })
        EXPECT_FALSE(TypeListContains("gif;jpg;jpeg", extension)) << extension;
}

TEST(ContentType, ImageIsTheFirstFiveCharactersInAnyCase)
{
    for (const char* type : { "image/gif", "IMAGE/pjpeg", "image/x-png", "image", "imagery" })
        EXPECT_TRUE(IsImageContentType(type)) << type;
    for (const char* type : { "imag", "text/plain", "", "video/image" })
        EXPECT_FALSE(IsImageContentType(type)) << type;
}

TEST(NamePattern, NoPathPartLeadsOutOfTheFolder)
{
    for (const char* pattern : { "some*.pdf", "*", "*.*", "..pdf", "a..b?", "[1].gif" })
        EXPECT_TRUE(IsNamePattern(pattern)) << pattern;
    for (const char* pattern :
         { "..\\*", "..\\..\\*", "sub/*.pdf", "C:*", "C:\\x\\*", "\\*", "a:stream", ".", ".." })
        EXPECT_FALSE(IsNamePattern(pattern)) << pattern;
}

using Placement = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>;  // w, h, x, y

Placement Fit(uint32_t w, uint32_t h, uint32_t edge = 120)
{
    ThumbnailFit fit = FitThumbnail(w, h, edge);
    return { fit.width, fit.height, fit.x, fit.y };
}

#define EXPECT_PLACED(got, w, h, left, top) EXPECT_EQ(got, Placement(w, h, left, top))

TEST(ThumbnailFit, WorkedTilesOfEdge120)
{
    EXPECT_PLACED(Fit(300, 200), 120, 80, 0, 20);
    EXPECT_PLACED(Fit(200, 300), 80, 120, 20, 0);
    EXPECT_PLACED(Fit(640, 640), 120, 120, 0, 0);
    EXPECT_PLACED(Fit(100, 60), 100, 60, 10, 30);
    EXPECT_PLACED(Fit(121, 1), 120, 1, 0, 59);
    EXPECT_FALSE(FitThumbnail(100, 60, 120).scale);
}

TEST(ThumbnailFit, EdgeCases)
{
    EXPECT_PLACED(Fit(101, 61), 101, 61, 9, 29) << "odd margins: the extra pixel right and below";
    ThumbnailFit tall = FitThumbnail(80, 120, 120);
    EXPECT_TRUE(tall.scale);
    EXPECT_EQ(tall.width, 80u) << "exactly the edge tall keeps its own size";
    // A long thin strip keeps a one-pixel side instead of vanishing.
    EXPECT_PLACED(Fit(1000, 4), 120, 1, 0, 59);
    EXPECT_PLACED(Fit(4, 1000), 1, 120, 59, 0);
    // Halves round up: 120 / 1.6 = 75 exactly, 120 / (240 / 97) = 48.5 -> 49.
    EXPECT_PLACED(Fit(192, 120), 120, 75, 0, 22);
    EXPECT_EQ(FitThumbnail(240, 97, 120).height, 49u);
    EXPECT_PLACED(Fit(200, 200, 32), 32, 32, 0, 0);
}

TEST(CopyNames, NeverTakeANameTheFolderHolds)
{
    std::set<std::string> folder;
    auto taken = [&](const std::string& name) { return folder.count(name) > 0; };
    EXPECT_EQ(FreeCopyName("logo[1].gif", taken), "logo[1].gif");
    folder = { "logo[1].gif" };
    EXPECT_EQ(FreeCopyName("logo[1].gif", taken), "logo[1] (2).gif");
    folder.insert("logo[1] (2).gif");
    EXPECT_EQ(FreeCopyName("logo[1].gif", taken), "logo[1] (3).gif");
    folder = { "README", "a.b.c" };
    EXPECT_EQ(FreeCopyName("README", taken), "README (2)");
    EXPECT_EQ(FreeCopyName("a.b.c", taken), "a.b (2).c");
    folder = { ".profile" };
    EXPECT_EQ(FreeCopyName(".profile", taken), ".profile (2)");
}

TEST(CopyNames, FailuresAreNamedByTheirFolderToo)
{
    EXPECT_EQ(CopyFailureText({}), "");
    EXPECT_EQ(CopyFailureText({ "C:\\cache\\AB12\\doc[1].pdf", "C:\\cache\\CD34\\doc[1].pdf" }),
              "These files could not be copied:\r\n"
              "\r\nC:\\cache\\AB12\\doc[1].pdf\r\nC:\\cache\\CD34\\doc[1].pdf");
    std::vector<std::string> many(23, "C:\\cache\\x");
    std::string text = CopyFailureText(many);
    EXPECT_EQ(std::count(text.begin(), text.end(), 'x'), 20);
    EXPECT_EQ(text.substr(text.size() - 16), "\r\n... and 3 more");
}

}  // namespace
