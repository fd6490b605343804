// Browser cache entries as rows: which entries are listed, under what name,
// in which windows; on hand-made entries and on the committed real caches.
#include "caches/cache_reader.h"
#include "images/codec/image_types.h"
#include "scan/body_signature.h"
#include "scan/entry_rows.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// The tests' two code pages: ASCII alone, and Windows-1252 as the platform
// converts to it without best-fit characters.
bool AsciiOnly(const std::u16string& text, std::string& ansi)
{
    for (char16_t c : text) {
        if (c >= 0x80)
            return false;
        ansi.push_back(static_cast<char>(c));
    }
    return true;
}

bool Windows1252(const std::u16string& text, std::string& ansi)
{
    // 0x80 to 0x9F; 0 where the code page has no character.
    static const char16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
    };
    for (char16_t c : text) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            ansi.push_back(static_cast<char>(c));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i) {
            if (kHigh[i] && kHigh[i] == c)
                found = i;
        }
        if (found < 0)
            return false;
        ansi.push_back(static_cast<char>(0x80 + found));
    }
    return true;
}

std::string Name1252(const std::string& url, const std::string& type = "")
{
    return EntryRowName(url, type, Windows1252);
}

const std::string kPng("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
const std::string kGif("GIF89a\1\0\1\0\0\0\0", 13);
const std::string kJpeg("\xFF\xD8\xFF\xE0\0\x10JFIF", 10);

CacheEntry Entry(const std::string& url, int status, const std::string& type,
                 BodyAvailability body = BodyAvailability::Complete)
{
    CacheEntry entry;
    entry.url = url;
    entry.status = status;
    entry.contentType = type;
    entry.body = body;
    entry.storedSize = body == BodyAvailability::Absent ? 0 : 1000;
    return entry;
}

// As a scan makes it: from the headers, then told again by the body's first
// bytes once they are read.
EntryRow Row(const CacheEntry& entry, const std::string& head = "")
{
    EntryRow row = MakeEntryRow(entry, Windows1252);
    if (!head.empty())
        RefineEntryRow(row, entry, reinterpret_cast<const uint8_t*>(head.data()), head.size(),
                       Windows1252);
    return row;
}

// Every byte a Windows file name must not hold, and the names it must not be.
void ExpectSafe(const std::string& name)
{
    ASSERT_FALSE(name.empty());
    EXPECT_LE(name.size(), kEntryNameLength) << name;
    EXPECT_EQ(name.find_first_of("<>:\"/\\|?*"), std::string::npos) << name;
    for (unsigned char c : name)
        EXPECT_GE(c, 0x20) << name;
    EXPECT_NE(name.back(), '.') << name;
    EXPECT_NE(name.back(), ' ') << name;
}

TEST(EntryName, DecodesEscapesOnlyWhereTheCodePageHoldsThemExactly)
{
    // U+00E9 exists in Windows-1252 but not in ASCII.
    EXPECT_EQ(Name1252("https://h.test/a/caf%C3%A9.png?w=1#x"), "caf\xE9.png");
    EXPECT_EQ(EntryRowName("https://h.test/a/caf%C3%A9.png", "", AsciiOnly), "caf%C3%A9.png");
    // The euro sign has a byte of its own in 1252; U+2215 has only a
    // best-fit "/", which must never become a separator.
    EXPECT_EQ(Name1252("http://h.test/%E2%82%AC10.txt"), "\x80"
                                                         "10.txt");
    EXPECT_EQ(Name1252("http://h.test/a%E2%88%95b.txt"), "a%E2%88%95b.txt");
    // Latin-1 escapes are no UTF-8: kept as the server wrote them.
    EXPECT_EQ(Name1252("http://h.test/%E9t%E9.jpg"), "%E9t%E9.jpg");
    // Raw bytes outside ASCII that are no UTF-8 are escaped, not passed on.
    EXPECT_EQ(Name1252("http://h.test/x\xFF.gif"), "x%FF.gif");
    EXPECT_EQ(Name1252("http://h.test/my%20file.pdf"), "my file.pdf");
    EXPECT_EQ(Name1252("http://h.test/100%25.txt"), "100%.txt");
    EXPECT_EQ(Name1252("http://h.test/50%.txt"), "50%.txt") << "a lone % stays";
}

TEST(EntryName, UnsafeSegmentsAreMadeSafe)
{
    EXPECT_EQ(Name1252("http://h.test/con", "text/plain"), "_con.txt");
    EXPECT_EQ(Name1252("http://h.test/COM1.html"), "_COM1.html");
    EXPECT_EQ(Name1252("http://h.test/a/..%2F..%2Fwin.ini"), ".._.._win.ini");
    EXPECT_EQ(Name1252("http://h.test/a%5Cb%3A%2A.js"), "a_b__.js");
    EXPECT_EQ(Name1252("http://h.test/notes.%20.%20", "text/plain"), "notes.txt");
    EXPECT_EQ(Name1252("http://h.test/a%00b.css"), "a_b.css");
    const std::string longName = Name1252("http://h.test/" + std::string(300, 'a') + ".jpeg");
    EXPECT_EQ(longName, std::string(kEntryNameLength - 5, 'a') + ".jpeg");
    // Cut at a character's start: 2-byte letters in UTF-8, 1 byte in 1252.
    std::string letters;
    for (int i = 0; i < 100; ++i)
        letters += "%C3%A9";
    const std::string cut = Name1252("http://h.test/" + letters + ".png");
    EXPECT_EQ(cut, std::string((kEntryNameLength - 4) / 2, '\xE9') + ".png");
    for (const char* url : { "http://h.test/..", "http://h.test/%2E%2E", "http://h.test/a/%2F",
                             "http://h.test/nul.txt", "http://h.test/%20%20", "http://h.test/\t",
                             "http://h.test/lpt9", "http://h.test/?#", "" })
        ExpectSafe(Name1252(url));
}

TEST(EntryName, HostNameWhenThePathIsEmpty)
{
    EXPECT_EQ(Name1252("https://www.example.com/", "text/html"), "www.example.com.html");
    EXPECT_EQ(Name1252("https://user@example.com:8080?q=1", "text/html"), "example.com.html");
    EXPECT_EQ(Name1252("https://example.com/a/b/", "text/html"), "b.html")
        << "the last segment that has a name";
    EXPECT_EQ(Name1252("https://example.com/%2E/", "application/octet-stream"), "example.com");
    EXPECT_EQ(Name1252("", ""), "file");
}

TEST(EntryName, ExtensionOfTheContentTypeWhenItHasNone)
{
    EXPECT_EQ(Name1252("https://cdn.test/api/avatar", "image/png"), "avatar.png");
    EXPECT_EQ(Name1252("https://cdn.test/api/avatar", "IMAGE/JPEG; q=1"), "avatar.jpg");
    EXPECT_EQ(Name1252("https://cdn.test/feed", "application/json; charset=utf-8"), "feed.json");
    EXPECT_EQ(Name1252("https://cdn.test/blob", "application/octet-stream"), "blob");
    EXPECT_EQ(Name1252("https://cdn.test/blob", "application/x-unheard-of"), "blob");
    EXPECT_EQ(Name1252("https://cdn.test/thumb.php", "image/png"), "thumb.php")
        << "a name that has an extension keeps it";
}

TEST(EntryCategory, PicturesByTypeThenNameThenBytes)
{
    // Served as octet-stream with no telling name: the bytes decide, and the
    // row's name takes the picture's extension.
    EntryRow blob = Row(Entry("https://cdn.test/i/8f2a", 200, "application/octet-stream"), kPng);
    EXPECT_EQ(blob.category.source, CategorySource::Body);
    EXPECT_TRUE(IsImageRow(blob, ""));
    EXPECT_EQ(blob.category.imageType, kImagePNG);
    EXPECT_EQ(blob.name, "8f2a.png");
    EXPECT_TRUE(IsImageRow(blob, "gif;png"));
    EXPECT_FALSE(IsImageRow(blob, "gif;jpg;jpeg")) << "the type list applies to the made name";
    // A .php address: the content type, or without one the bytes.
    EntryRow php = Row(Entry("https://h.test/thumb.php?id=3", 200, "image/jpeg"), kJpeg);
    EXPECT_TRUE(IsImageRow(php, ""));
    EXPECT_EQ(php.category.imageType, kImageJPEG);
    EntryRow untyped = Row(Entry("https://h.test/thumb.php?id=4", 200, ""), kGif);
    EXPECT_TRUE(IsImageRow(untyped, ""));
    EXPECT_EQ(untyped.category.imageType, kImageGIF);
    EXPECT_EQ(untyped.name, "thumb.php");
    // The bytes choose the decoder over the label; the name never does.
    EXPECT_EQ(Row(Entry("https://h.test/a.jpg", 200, "image/jpeg"), kPng).category.imageType,
              kImagePNG);
    EntryRow byName = Row(Entry("https://h.test/a.jpg", 200, "application/octet-stream"));
    EXPECT_TRUE(IsImageRow(byName, ""));
    EXPECT_EQ(byName.category.source, CategorySource::Extension);
    EXPECT_EQ(byName.category.imageType, kImageUnknown);
    // No type, no known extension, no bytes read: nothing is known.
    EntryRow blank = Row(Entry("https://h.test/x.php", 200, ""));
    EXPECT_EQ(blank.category.source, CategorySource::None);
    EXPECT_FALSE(IsImageRow(blank, ""));
    // A picture type with bytes the viewer reads, though the table lacks it.
    EXPECT_TRUE(IsImageRow(Row(Entry("https://h.test/p", 200, "image/x-citrix-png"), kPng), ""));
    EXPECT_FALSE(IsImageRow(Row(Entry("https://h.test/p", 200, "image/x-citrix-png")), ""));
}

TEST(EntryCategory, SvgIsAPictureWithoutAnImagesRow)
{
    const std::string svg = "\xEF\xBB\xBF  <?xml version=\"1.0\"?>\n<svg xmlns=\"x\"/>";
    EntryRow typed = Row(Entry("https://h.test/logo.svg", 200, "image/svg+xml"), svg);
    EXPECT_EQ(typed.category.kind, WebKind::Picture);
    EXPECT_FALSE(IsImageRow(typed, ""));
    EXPECT_FALSE(IsImageRow(typed, "svg"));
    EntryRow sniffed = Row(Entry("https://h.test/logo", 200, "application/octet-stream"), svg);
    EXPECT_EQ(sniffed.category.source, CategorySource::Body);
    EXPECT_EQ(sniffed.name, "logo.svg");
    EXPECT_FALSE(IsImageRow(sniffed, ""));
    EXPECT_FALSE(IsImageRow(Row(Entry("https://h.test/i.svg", 200, "")), ""));
    // A PNG served as SVG is still no Images row: the type says SVG.
    EXPECT_FALSE(IsImageRow(Row(Entry("https://h.test/i", 200, "image/svg+xml"), kPng), ""));
    // Other windows still list it by its name.
    EXPECT_TRUE(IsOtherRow(typed, "*.svg"));
    EXPECT_TRUE(IsTextRow(typed, "svg;xml"));
}

TEST(EntryCategory, TextAndOtherFilesGoByTheMadeName)
{
    const char* kDefaultText = "js;vbs;txt;htm;html";
    EXPECT_TRUE(IsTextRow(Row(Entry("https://www.test/", 200, "text/html")), kDefaultText));
    EXPECT_TRUE(
        IsTextRow(Row(Entry("https://www.test/lib", 200, "application/javascript")), kDefaultText));
    EntryRow json = Row(Entry("https://www.test/feed", 200, "application/json"));
    EXPECT_FALSE(IsTextRow(json, kDefaultText));
    EXPECT_TRUE(IsTextRow(json, "json"));
    EXPECT_TRUE(IsTextRow(json, "")) << "an empty list takes every name, as for files";
    // A served page without a telling name or type: its markup names it.
    EntryRow page = Row(Entry("https://www.test/go", 200, ""), "\n<!DOCTYPE html><html>");
    EXPECT_EQ(page.name, "go.html");
    EXPECT_TRUE(IsTextRow(page, kDefaultText));

    EntryRow pdf = Row(Entry("https://docs.test/Report.PDF", 200, "application/pdf"));
    EXPECT_TRUE(IsOtherRow(pdf, "*.pdf"));
    EXPECT_TRUE(IsOtherRow(pdf, "rep?rt.*"));
    EXPECT_FALSE(IsOtherRow(pdf, "some*.pdf"));
    EntryRow readme = Row(Entry("https://docs.test/README", 200, ""));
    EXPECT_TRUE(IsOtherRow(readme, "*.*"));
    EXPECT_TRUE(IsOtherRow(readme, "readme.*"));
    EXPECT_FALSE(IsOtherRow(readme, "*.txt"));
    EXPECT_FALSE(IsOtherRow(readme, "readm"));
    EXPECT_TRUE(IsOtherRow(Row(Entry("https://d.test/a.b.c", 200, "")), "*.c"));
    // A pathological pattern ends in bounded time.
    EntryRow many = Row(Entry("https://d.test/" + std::string(100, 'a'), 200, ""));
    EXPECT_FALSE(IsOtherRow(many, (std::string(40, '*') + std::string(40, 'a') + "b").c_str()));
}

// The Text and Other-files scans judge a row by its name before reading the
// body whenever the body cannot change it: a known type, a major type or the
// name told its kind. A type of its own gives way to a signature.
TEST(EntryCategory, OnlyARowTheBodyMayChangeAwaitsIt)
{
    const std::string kPage("\n<!DOCTYPE html><html>");
    for (const CacheEntry& told :
         { Entry("https://www.test/style", 200, "text/css"),
           Entry("https://www.test/a.png", 200, "application/octet-stream"),
           Entry("https://www.test/shot", 200, "image/x-shot") }) {
        const EntryRow before = Row(told);
        ASSERT_FALSE(RowAwaitsBody(before)) << told.url;
        for (const std::string& head : { kPng, kJpeg, kPage }) {
            const EntryRow after = Row(told, head);
            EXPECT_EQ(after.name, before.name) << told.url;
            EXPECT_EQ(after.category.kind, before.category.kind) << told.url;
        }
    }
    const CacheEntry untold = Entry("https://www.test/go", 200, "");
    EXPECT_TRUE(RowAwaitsBody(Row(untold)));
    EXPECT_EQ(Row(untold, kPage).name, "go.html");
    EXPECT_TRUE(
        RowAwaitsBody(Row(Entry("https://www.test/get.php", 200, "application/octet-stream"))));
    const CacheEntry own = Entry("https://www.test/feed", 200, "application/x-feed");
    EXPECT_TRUE(RowAwaitsBody(Row(own)));
    EXPECT_EQ(Row(own, kPng).name, "feed.png");
}

TEST(EntryCategory, MediaByTypeNameAndBytes)
{
    const std::string mp4("\0\0\0\x18"
                          "ftypisom\0\0\2\0",
                          16);
    const std::string m4a("\0\0\0\x18"
                          "ftypM4A \0\0\2\0",
                          16);
    struct Case {
        std::string url, type, head;
        int kind;  // 0 Flashes, 1 Movies, 2 Audios, -1 none
    };
    const Case cases[] = {
        { "https://v.test/clip", "video/mp4", "", 1 },
        { "https://v.test/clip", "video/x-unlisted", "", 1 },
        { "https://v.test/clip", "videox", "", 1 },  // five letters, as for files
        { "https://v.test/clip", "vide", "", -1 },
        { "https://v.test/seg.m4s", "application/octet-stream", mp4, 1 },
        { "https://v.test/seg", "application/octet-stream", m4a, 2 },
        { "https://v.test/song.mp3", "", "", 2 },
        { "https://v.test/song", "", "ID3\4\0\0", 2 },
        { "https://v.test/intro", "application/x-shockwave-flash", "", 0 },
        { "https://v.test/intro", "", "CWS\x0A", 0 },
        { "https://v.test/game.swf", "video/x-flv", "", -1 },  // Movies never take a .swf
        { "https://v.test/talk.webm", "audio/webm", "", 2 },
        { "https://v.test/page.mp4", "text/html", "", -1 },  // the type comes first
    };
    for (const Case& c : cases) {
        EntryRow row = Row(Entry(c.url, 200, c.type), c.head);
        for (int kind = 0; kind < 3; ++kind)
            EXPECT_EQ(IsMediaRow(row, kind), kind == c.kind) << c.url << " kind " << kind;
        EXPECT_FALSE(IsMediaRow(row, 3));
    }
}

TEST(EntryRowState, SuccessfulResponsesWithTheirBodyOnly)
{
    using B = BodyAvailability;
    EXPECT_EQ(RowStateOf(Entry("https://h.test/a.gif", 200, "image/gif")), EntryRowState::Whole);
    EXPECT_EQ(RowStateOf(Entry("https://h.test/a.gif", 203, "image/gif")), EntryRowState::Whole);
    EXPECT_EQ(RowStateOf(Entry("https://h.test/v.mp4", 206, "video/mp4")), EntryRowState::Whole);
    EXPECT_EQ(RowStateOf(Entry("https://h.test/v.mp4", 206, "video/mp4", B::Partial)),
              EntryRowState::Partial)
        << "range requests for media leave a 206 stored in part";
    EXPECT_EQ(RowStateOf(Entry("https://h.test/v.mp4", 206, "video/mp4", B::Unreadable)),
              EntryRowState::None);
    for (int status : { 0, 101, 204, 301, 304, 404, 500 }) {
        const B body = status == 204 ? B::Absent : B::Complete;
        EXPECT_EQ(RowStateOf(Entry("https://h.test/a.gif", status, "image/gif", body)),
                  EntryRowState::None)
            << status;
    }
    EXPECT_EQ(RowStateOf(Entry("https://h.test/a.gif", 200, "image/gif", B::Absent)),
              EntryRowState::None);
    EXPECT_TRUE(Row(Entry("https://h.test/a.gif", 304, "image/gif"), kGif).name.empty());

    // Bodies stored in part or unreadable are rows where their kind is
    // known without the missing bytes.
    EntryRow partial = Row(Entry("https://h.test/v.mp4", 200, "video/mp4", B::Partial));
    EXPECT_EQ(partial.state, EntryRowState::Partial);
    EXPECT_TRUE(IsMediaRow(partial, 1));
    EXPECT_TRUE(IsMediaRow(Row(Entry("https://h.test/a.wav", 206, "audio/wav", B::Partial)), 2));
    EXPECT_FALSE(IsOtherRow(Row(Entry("https://h.test/range", 206, "", B::Partial)), "*"))
        << "a kind the stored bytes cannot tell";
    EntryRow sealed = Row(Entry("https://h.test/s", 200, "", B::Unreadable), kPng);
    EXPECT_EQ(sealed.state, EntryRowState::Unreadable);
    EXPECT_EQ(sealed.category.source, CategorySource::None) << "an unreadable body has no bytes";
    EXPECT_FALSE(IsOtherRow(sealed, "*"));
    EXPECT_TRUE(IsOtherRow(Row(Entry("https://h.test/s", 200, "", B::Complete)), "*"));
    EXPECT_TRUE(IsImageRow(Row(Entry("https://h.test/s.png", 200, "", B::Unreadable)), ""));
}

// The decoded body's first bytes, as a scan reads them.
std::string BodyHead(CacheReader& reader, const CacheEntry& entry)
{
    std::string head;
    ReadEntryBody(reader, entry, kSignatureBytes, nullptr, [&head](const uint8_t* data, size_t n) {
        head.append(reinterpret_cast<const char*>(data), n);
        return true;
    });
    return head;
}

struct CacheRows {
    std::set<std::string> names, images, texts, others;
    std::map<std::string, uint32_t> imageTypes;
};

CacheRows RowsOf(const std::string& folder)
{
    CacheRows rows;
    OpenedCache cache = OpenCacheFolder(folder);
    EXPECT_TRUE(cache.reader) << folder << ": " << cache.problem;
    if (!cache.reader)
        return rows;
    CacheEntry entry;
    while (cache.reader->Next(entry, nullptr)) {
        const std::string head = BodyHead(*cache.reader, entry);
        EntryRow row = Row(entry, head);
        if (row.state == EntryRowState::None)
            continue;
        ExpectSafe(row.name);
        rows.names.insert(row.name);
        if (IsImageRow(row, "")) {
            rows.images.insert(row.name);
            rows.imageTypes[row.name] = row.category.imageType;
        }
        if (IsTextRow(row, "js;vbs;txt;htm;html"))
            rows.texts.insert(row.name);
        if (IsOtherRow(row, "*.bin"))
            rows.others.insert(row.name);
    }
    return rows;
}

using Names = std::set<std::string>;

TEST(EntryRowsOfRealCaches, PagesPicturesAndStylesOfTheSmallSite)
{
    const std::string base = std::string(ZEMA_COMMITTED_CACHES) + "/small/";
    for (const char* cache :
         { "chromium-simple", "chromium-blockfile", "chromium-sql", "firefox" }) {
        SCOPED_TRACE(cache);
        const bool firefox = std::string(cache) == "firefox";
        CacheRows rows = RowsOf(base + cache);
        Names names = { "index.html",     "site-gzip.css", "app-br.js", "plasma.gif",
                        "list-zstd.json", "frame.html",    "gate.gif",  "logo.png" };
        Names images = { "plasma.gif", "gate.gif", "logo.png" };
        if (!firefox) {
            names.insert("favicon.ico");
            images.insert("favicon.ico");
        }
        EXPECT_EQ(rows.names, names);
        EXPECT_EQ(rows.images, images);
        EXPECT_EQ(rows.texts, Names({ "index.html", "frame.html", "app-br.js" }));
        EXPECT_EQ(rows.imageTypes["plasma.gif"], kImageGIF);
        EXPECT_EQ(rows.imageTypes["logo.png"], kImagePNG);
        if (!firefox)
            EXPECT_EQ(rows.imageTypes["favicon.ico"], kImageICO);
    }
}

TEST(EntryRowsOfRealCaches, NotFoundIsNoRowAndOctetStreamNoPicture)
{
    const std::string base = std::string(ZEMA_COMMITTED_CACHES) + "/chromium-small/";
    for (const char* cache : { "chromium-simple", "chromium-blockfile", "chromium-sql" }) {
        SCOPED_TRACE(cache);
        CacheRows rows = RowsOf(base + cache);
        EXPECT_EQ(rows.names.count("favicon.ico"), 0u) << "served 404";
        EXPECT_TRUE(rows.images.empty());
        EXPECT_EQ(rows.texts, Names({ "index.html", "frame.html", "app.js", "notes.txt" }));
        EXPECT_EQ(rows.others.count("mid.bin"), 1u);
    }
}

}  // namespace
