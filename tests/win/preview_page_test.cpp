// Player choice, the RT_HTML templates linked into this program, and the page
// built for a cached file. "Content Type" values are set for each case and
// restored afterwards.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/win/expected_templates.h"
#include "preview/player_choice.h"
#include "preview/preview_page.h"
#include "preview/preview_template.h"
#include "tests/win/registry_restore.h"

namespace {

std::string ResourceText(WORD id)
{
    HRSRC resource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(23));
    if (!resource)
        return std::string();
    HGLOBAL loaded = ::LoadResource(nullptr, resource);
    const char* bytes = static_cast<const char*>(::LockResource(loaded));
    return std::string(bytes, ::SizeofResource(nullptr, resource));
}

std::string Page(const std::string& path)
{
    HeapText page = BuildPreviewPage(path.c_str());
    return page ? std::string(page.get()) : std::string("(no page)");
}

// Content types under HKEY_CLASSES_ROOT for the duration of one test.
class ContentTypes {
public:
    // Restored newest first, so that one extension set twice ends as it began.
    ~ContentTypes()
    {
        while (!m_saved.empty())
            m_saved.pop_back();
    }
    void Set(const std::string& extension, const std::string& type) { Guard(extension).Set(type); }
    void Remove(const std::string& extension) { Guard(extension).Remove(); }

private:
    const SavedValue& Guard(const std::string& extension)
    {
        m_saved.push_back(
            std::make_unique<SavedValue>(HKEY_CLASSES_ROOT, extension, "Content Type"));
        return *m_saved.back();
    }
    std::vector<std::unique_ptr<SavedValue>> m_saved;
};

TEST(PreviewTemplates, ResourcesHoldTheListedLinesByteForByte)
{
    EXPECT_EQ(expected::MediaPlayerTemplate(), ResourceText(132));
    EXPECT_EQ(expected::RealPlayerTemplate(), ResourceText(133));
    EXPECT_EQ(expected::FlashTemplate(), ResourceText(134));
    EXPECT_EQ(521u, ResourceText(132).size());
    EXPECT_EQ(491u, ResourceText(133).size());
    EXPECT_EQ(573u, ResourceText(134).size());
}

TEST(PreviewTemplates, LoadingCopiesTheResourceWithTwoTerminators)
{
    for (WORD id : { IDR_HTML_MEDIAPLAYER, IDR_HTML_REALPLAYER, IDR_HTML_FLASH }) {
        PreviewTemplate loaded = LoadPreviewTemplate(id);
        std::string resource = ResourceText(id);
        ASSERT_TRUE(loaded.text) << id;
        EXPECT_EQ(resource.size(), loaded.size) << id;
        EXPECT_EQ(resource, std::string(loaded.text.get(), loaded.size)) << id;
        EXPECT_EQ(0, loaded.text.get()[loaded.size]) << id;
        EXPECT_EQ(0, loaded.text.get()[loaded.size + 1]) << id;
    }
}

TEST(PreviewTemplates, UnknownIdentifierLoadsNothing)
{
    PreviewTemplate loaded = LoadPreviewTemplate(135);
    EXPECT_FALSE(loaded.text);
    EXPECT_EQ(0u, loaded.size);
}

TEST(PlayerChoice, FixedExtensionsNeedNoRegistry)
{
    ContentTypes types;
    // Registry types that would choose otherwise, to show they go unread.
    types.Set(".SWF", "text/plain");
    types.Set(".rmvb", "image/png");
    types.Set(".SMIL", "text/xml");
    types.Set(".htm", "video/mpeg");

    EXPECT_EQ(PlayerChoice::Flash, ChoosePlayer("C:\\cache\\clip.SWF"));
    EXPECT_EQ(PlayerChoice::RealPlayer, ChoosePlayer("C:\\cache\\movie.rmvb"));
    EXPECT_EQ(PlayerChoice::RealPlayer, ChoosePlayer("C:\\cache\\show.SMIL"));
    for (const char* extension :
         { ".ra", ".rm", ".rv", ".ram", ".rpm", ".rpx", ".smi", ".rp", ".rt" })
        EXPECT_EQ(PlayerChoice::RealPlayer, ChoosePlayer((std::string("a") + extension).c_str()))
            << extension;
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("C:\\cache\\page.htm"));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("C:\\cache\\page.HTML"));
}

TEST(PlayerChoice, ContentTypeMajorTypeDecidesOtherExtensions)
{
    ContentTypes types;
    types.Set(".wmv", "video/x-ms-wmv");
    types.Set(".mp3", "AUDIO/mpeg");
    types.Set(".zemaclip", "Video");
    types.Set(".gif", "image/gif");
    types.Set(".txt", "text/plain");
    types.Set(".zemavideo", "videos/x");
    types.Remove(".zemanone");

    EXPECT_EQ(PlayerChoice::MediaPlayer, ChoosePlayer("C:\\cache\\a.wmv"));
    EXPECT_EQ(PlayerChoice::MediaPlayer, ChoosePlayer("C:\\cache\\a.MP3"));
    EXPECT_EQ(PlayerChoice::MediaPlayer, ChoosePlayer("C:\\cache\\a.zemaclip"));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("C:\\cache\\a.gif"));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("C:\\cache\\a.txt"));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("C:\\cache\\a.zemavideo"));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("C:\\cache\\a.zemanone"));
}

TEST(PlayerChoice, ContentTypeMustFitItsBuffer)
{
    ContentTypes types;
    types.Set(".zemafits", "video/" + std::string(71, 'x'));  // 77 characters and the NUL
    types.Set(".zemalong", "video/" + std::string(72, 'x'));  // one byte too many
    EXPECT_EQ(PlayerChoice::MediaPlayer, ChoosePlayer("a.zemafits"));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("a.zemalong"));
}

TEST(PlayerChoice, LastDotAnywhereInThePathIsTheExtension)
{
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("C:\\cache\\no_extension"));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer(""));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer(nullptr));
    EXPECT_EQ(PlayerChoice::Flash, ChoosePlayer("C:\\cache\\clip.htm.swf"));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("C:\\cache\\clip.swf.htm"));
    EXPECT_EQ(PlayerChoice::None, ChoosePlayer("C:\\cache.swf\\clip"));
}

TEST(PreviewPage, EachPlayerGetsItsTemplateWithThePath)
{
    ContentTypes types;
    types.Set(".wmv", "video/x-ms-wmv");
    const std::string flash = "C:\\Cache\\Content.IE5\\ABCD1234\\intro[1].SWF";
    const std::string movie = "C:\\Cache\\Content.IE5\\ABCD1234\\trailer[1].wmv";
    const std::string real = "C:\\Cache\\Content.IE5\\ABCD1234\\news[1].rm";

    EXPECT_EQ(expected::PageFor(expected::FlashTemplate(), flash), Page(flash));
    EXPECT_EQ(expected::PageFor(expected::MediaPlayerTemplate(), movie), Page(movie));
    EXPECT_EQ(expected::PageFor(expected::RealPlayerTemplate(), real), Page(real));
    EXPECT_NE(std::string::npos,
              Page(movie).find("<param name=\"Filename\" value=\"" + movie + "\">"));
    EXPECT_NE(std::string::npos, Page(flash).find("width=\"100%\" height=\"100%\""));
}

TEST(PreviewPage, FilesWithoutAPlayerGetTheEmptyPage)
{
    ContentTypes types;
    types.Set(".htm", "video/mpeg");
    types.Set(".gif", "image/gif");
    types.Set(".txt", "text/plain");
    types.Remove(".zemanone");

    for (const char* path :
         { "C:\\cache\\page.htm", "C:\\cache\\picture.gif", "C:\\cache\\notes.txt",
           "C:\\cache\\unknown.zemanone", "C:\\cache\\nodot", "" })
        EXPECT_EQ("<HTML></HTML>", Page(path)) << path;
}

TEST(PreviewPage, PercentAndAmpersandInThePathArriveIntact)
{
    ContentTypes types;
    types.Set(".mp3", "audio/mpeg");
    const std::string path = "C:\\cache\\100%s %d%% &amp; rock&roll.mp3";
    std::string page = Page(path);
    EXPECT_EQ(expected::PageFor(expected::MediaPlayerTemplate(), path), page);
    EXPECT_NE(std::string::npos, page.find("value=\"" + path + "\""));
}

TEST(PreviewPage, LongestPathFits)
{
    std::string path = "C:\\" + std::string(MAX_PATH - 1 - 3 - 4, 'p') + ".swf";
    ASSERT_EQ(size_t(MAX_PATH - 1), path.size());
    EXPECT_EQ(expected::PageFor(expected::FlashTemplate(), path), Page(path));
}

}  // namespace
