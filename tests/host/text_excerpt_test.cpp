// What part of a text the content pane shows, and where its hit lands.
#include "files/text_excerpt.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TextExcerpt Excerpt(const std::string& text, const std::string& needle)
{
    std::string::size_type hit = text.find(needle);
    return ExcerptOf(text.data(), text.size(), hit == std::string::npos ? -1 : int64_t(hit),
                     needle.size());
}

std::string ShownHit(const TextExcerpt& excerpt, size_t length)
{
    return excerpt.hit < 0 ? "" : excerpt.text.substr(size_t(excerpt.hit), length);
}

TEST(TextExcerpt, AnOrdinaryFileIsShownWholeWithoutANote)
{
    std::string text = "hay\r\nhay NEEDLE\r\nhay";
    TextExcerpt excerpt = Excerpt(text, "NEEDLE");
    EXPECT_EQ(excerpt.text, text);
    EXPECT_EQ(excerpt.hit, 9);
}

TEST(TextExcerpt, AnEndlessLineIsCutAtTheLineBound)
{
    std::string text = "needle\r\n" + std::string(shownBytesBound * 4, 'y');
    TextExcerpt excerpt = Excerpt(text, "needle");
    EXPECT_EQ(excerpt.hit, 0);
    EXPECT_EQ(excerpt.text.find(std::string(shownLineBound + 1, 'y')), std::string::npos);
    EXPECT_NE(excerpt.text.find("[Shown in part: bytes 1 to "), std::string::npos);
}

// The hit after a long line without spaces is shown from a little before it.
TEST(TextExcerpt, AHitBeyondTheBoundsIsShownWithItsSurroundings)
{
    std::string text = std::string(1 << 20, 'x') + " needle and more";
    TextExcerpt excerpt = Excerpt(text, "needle");
    ASSERT_GE(excerpt.hit, 0);
    EXPECT_EQ(ShownHit(excerpt, 6), "needle");
    EXPECT_EQ(excerpt.text.compare(0, 7, "[...]\r\n"), 0);
    EXPECT_NE(excerpt.text.find(" needle and more\r\n\r\n[Shown in part: bytes "),
              std::string::npos);
    EXPECT_LE(excerpt.text.size(), shownLineBound + 80);

    std::string lines;
    while (lines.size() < shownBytesBound * 2)
        lines += "hay\r\n";
    lines += "the needle line\r\nafter\r\n";
    excerpt = Excerpt(lines, "needle");
    EXPECT_EQ(ShownHit(excerpt, 6), "needle");
    EXPECT_EQ(excerpt.text.compare(0, 17, "[...]\r\nthe needle"), 0) << "from the hit's own line";
}

TEST(TextExcerpt, ManyShortLinesStopAtTheTotalBound)
{
    std::string text;
    while (text.size() < shownBytesBound * 3)
        text += "line of hay\r\n";
    TextExcerpt excerpt = Excerpt(text, "absent");
    EXPECT_EQ(excerpt.hit, -1);
    EXPECT_LT(excerpt.text.size(), shownBytesBound + 100);
    EXPECT_EQ(excerpt.text.compare(0, 13, "line of hay\r\n"), 0);
}

}  // namespace
