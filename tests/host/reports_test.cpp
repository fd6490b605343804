// The list reports: hostile names and URLs read back intact from CSV and
// tab-separated text and stay inert in both HTML pages, the times and the
// thumbnails' PNGs as other programs read them, and 100,000 rows streamed.
#include "reports/html_text.h"
#include "reports/png_encoder.h"
#include "reports/report_time.h"
#include "reports/report_writer.h"
#include "tests/common/report_readers.h"
#include "tests/common/string_report_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Keeps nothing: counts what passes and the largest single write.
class CountingOutput : public ReportOutput {
public:
    bool Write(const char* data, size_t size) override
    {
        total += size;
        largest = std::max(largest, size);
        last = size ? data[size - 1] : last;
        return true;
    }
    uint64_t total = 0;
    size_t largest = 0;
    char last = 0;
};

// Fails from the given write on.
class FailingOutput : public ReportOutput {
public:
    explicit FailingOutput(int writesAllowed) : m_left(writesAllowed) {}
    bool Write(const char*, size_t) override
    {
        ++calls;
        return m_left-- > 0;
    }
    int calls = 0;

private:
    int m_left;
};

uint64_t FileTimeOf(int64_t unixSeconds)
{
    return uint64_t(unixSeconds + 11644473600) * 10000000;
}

// A picture of width x height as a bottom-up 24-bit DIB, each pixel its own.
std::vector<uint8_t> Pattern(uint32_t width, uint32_t height, size_t stride)
{
    std::vector<uint8_t> rows(stride * height, 0xEE);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* pixel = &rows[stride * y + 3 * x];
            pixel[0] = uint8_t(40 * x + 3);      // blue
            pixel[1] = uint8_t(70 * y + 5);      // green
            pixel[2] = uint8_t(11 * x * y + 7);  // red
        }
    }
    return rows;
}

std::string SmallPng()
{
    const std::vector<uint8_t> rows = Pattern(4, 4, 12);
    return EncodePng(rows.data(), 4, 4, 12, true);
}

std::vector<ReportRow> HostileRows()
{
    std::vector<ReportRow> rows(3);
    ReportRow& a = rows[0];
    a.name = "a,b \"quoted\"\r\nline 2 <script>alert(1)</script> \xC3\xBCn\xC3\xAF.png";
    a.url = "javascript:alert(1)";
    a.visitedSite = "http://127.0.0.1";
    a.cache = "Chrome (Default)";
    a.contentType = "image/png";
    a.encoding = "gzip, br";
    a.storedSize = 1234;
    a.decodedSize = 56789;
    a.cachedTime = FileTimeOf(1709249400);  // 2024-02-29T23:30:00Z
    a.localOffsetMinutes = 90;
    a.width = 640;
    a.height = 480;
    a.thumbnail = SmallPng();
    a.thumbnailType = "image/png";

    ReportRow& b = rows[1];
    b.name = "tab\there\\back =cmd|' /C calc'!A0 <img src=x onerror=alert(3)>";
    b.url = "http://example.com/a\"onmouseover=\"alert(1)";
    b.visitedSite = "data:text/html,<script>alert(2)</script>";
    b.cache = "Firefox (test.default-release)";
    b.localOffsetMinutes = -210;
    b.thumbnail = "<script>alert(4)</script>";
    b.thumbnailType = "text/html";

    ReportRow& c = rows[2];
    c.name = "plain.gif";
    c.url = "HTTPS://Example.com/p?a=1&b=2#f";
    c.cache = "Edge (Profile 1)";
    c.contentType = "image/gif";
    c.storedSize = 18446744073709551615u;
    c.decodedSize = 0;
    c.cachedTime = 1;  // the first tick of 1601
    c.localOffsetMinutes = -60;
    return rows;
}

// Each row's cells as the report must say them, the pictures' columns last.
std::vector<std::vector<std::string>> ExpectedCells(const std::vector<ReportRow>& rows)
{
    const char* const kTimes[3][2] = {
        { "2024-02-29T23:30:00Z", "2024-03-01T01:00:00+01:30" },
        { "", "" },
        { "1601-01-01T00:00:00Z", "1600-12-31T23:00:00-01:00" },
    };
    std::vector<std::vector<std::string>> cells;
    for (size_t i = 0; i < rows.size(); ++i) {
        const ReportRow& r = rows[i];
        cells.push_back({ r.name, r.url, r.visitedSite, r.cache, r.contentType, r.encoding,
                          std::to_string(r.storedSize), std::to_string(r.decodedSize), kTimes[i][0],
                          kTimes[i][1], r.width ? std::to_string(r.width) : "",
                          r.height ? std::to_string(r.height) : "" });
    }
    return cells;
}

const std::vector<std::string> kPictureTitles = {
    "Name",        "URL",          "Visited site", "Cache",          "Content type", "Encoding",
    "Stored size", "Decoded size", "Cached (UTC)", "Cached (local)", "Width",        "Height",
};

std::string Write(ReportFormat format, ReportKind kind, const std::vector<ReportRow>& rows)
{
    StringOutput output;
    std::unique_ptr<ReportWriter> writer = MakeReportWriter(format, kind, output);
    EXPECT_TRUE(writer->Begin("Cache <list> & \"more\""));
    for (const ReportRow& row : rows)
        EXPECT_TRUE(writer->Row(row));
    EXPECT_TRUE(writer->End());
    return output.text;
}

void ExpectReadBack(const ReportRecords& records, ReportKind kind)
{
    const std::vector<ReportRow> rows = HostileRows();
    std::vector<std::vector<std::string>> expected = ExpectedCells(rows);
    std::vector<std::string> titles = kPictureTitles;
    if (kind == ReportKind::Files) {
        titles.resize(10);
        for (auto& cells : expected)
            cells.resize(10);
    }
    ASSERT_EQ(records.size(), rows.size() + 1);
    EXPECT_EQ(records[0], titles);
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(records[i + 1], expected[i]) << "row " << i;
}

TEST(ReportFiles, CsvReadsBackEveryFieldOfHostileRows)
{
    for (ReportKind kind : { ReportKind::Pictures, ReportKind::Files }) {
        const std::string csv = Write(ReportFormat::Csv, kind, HostileRows());
        ReportRecords records;
        ASSERT_TRUE(ReadCsv(csv, records)) << csv;
        ExpectReadBack(records, kind);
        // Quoted exactly where RFC 4180 asks, plain elsewhere.
        EXPECT_NE(csv.find(",\"gzip, br\","), std::string::npos);
        EXPECT_NE(csv.find(",http://127.0.0.1,"), std::string::npos);
        EXPECT_NE(csv.find("\"a,b \"\"quoted\"\"\r\nline 2"), std::string::npos);
    }
}

TEST(ReportFiles, TabTextKeepsEachRowOnOneLine)
{
    for (ReportKind kind : { ReportKind::Pictures, ReportKind::Files }) {
        const std::string text = Write(ReportFormat::Text, kind, HostileRows());
        ReportRecords records;
        ASSERT_TRUE(ReadTabText(text, records)) << text;
        ExpectReadBack(records, kind);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
        EXPECT_NE(text.find("tab\\there\\\\back"), std::string::npos);
    }
}

std::string TempPath(const std::string& name)
{
    return std::string(ZEMA_TEST_TEMP) + "/" + name;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    ASSERT_TRUE(file.good()) << path;
}

std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            json += escaped;
        } else {
            json += static_cast<char>(c);
        }
    }
    return json + "\"";
}

// Python's HTML parser on the page: only the writer's own markup, the rows'
// texts shown as text.
int CheckPage(const std::string& page, const std::vector<std::string>& texts, int scripts,
              int links, const std::string& name)
{
    WriteFile(TempPath(name + ".html"), page);
    std::string json = "[";
    for (const std::string& text : texts)
        json += (json.size() > 1 ? "," : "") + JsonString(text);
    WriteFile(TempPath(name + ".json"), json + "]");
    const std::string command = "python3 " ZEMA_SOURCE_DIR "/tests/host/reports/html_inert.py " +
                                TempPath(name + ".html") + " " + TempPath(name + ".json") +
                                " --scripts " + std::to_string(scripts) + " --links " +
                                std::to_string(links);
    return std::system(command.c_str());
}

TEST(ReportHtml, TableShowsHostileRowsAsTextOnly)
{
    const std::vector<ReportRow> rows = HostileRows();
    const std::string page = Write(ReportFormat::Html, ReportKind::Files, rows);
    std::vector<std::string> texts = { "Cache <list> & \"more\"" };
    for (const auto& cells : ExpectedCells(rows)) {
        for (size_t i = 0; i < 10; ++i) {
            if (!cells[i].empty())
                texts.push_back(cells[i]);
        }
    }
    // Links: the first row's visited site and the third row's URL.
    EXPECT_EQ(CheckPage(page, texts, 1, 2, "table"), 0);
    EXPECT_NE(page.find("<a href=\"HTTPS://Example.com/p?a=1&amp;b=2#f\""), std::string::npos);
    EXPECT_NE(page.find("<td>javascript:alert(1)</td>"), std::string::npos);
}

TEST(ReportHtml, ContactSheetEmbedsThumbnailsAndNothingElse)
{
    const std::vector<ReportRow> rows = HostileRows();
    const std::string page = Write(ReportFormat::Html, ReportKind::Pictures, rows);
    std::vector<std::string> texts;
    for (const ReportRow& row : rows)
        texts.insert(texts.end(), { row.name, row.url, row.cache });
    texts.push_back("640 \xC3\x97 480, 56,789 bytes, 2024-02-29T23:30:00Z");
    texts.push_back("0 bytes, 1601-01-01T00:00:00Z");
    EXPECT_EQ(CheckPage(page, texts, 0, 1, "sheet"), 0);
    // Only the first row's thumbnail is a picture type: one image, two placeholders.
    size_t images = 0;
    for (size_t at = page.find("<img"); at != std::string::npos; at = page.find("<img", at + 1))
        ++images;
    EXPECT_EQ(images, 1u);
    EXPECT_NE(page.find("src=\"data:image/png;base64,iVBORw0KGgo"), std::string::npos);
    EXPECT_EQ(page.find("alert(4)"), std::string::npos);
}

TEST(ReportHtml, TextBecomesValidUtf8AndOnlySafeUrlsLink)
{
    std::string out;
    AppendHtmlText(
        std::string("a\0b\x01\x7F\xC2\x85\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xE2\x82", 18) +
            "\xE2\x82\xAC'&",
        out);
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(out, "a" + r + "b" + r + r + r + r + r + r + r + r + r + r + r + r + r + r +
                       "\xE2\x82\xAC&#39;&amp;");
    EXPECT_TRUE(IsLinkableUrl("http://a/b?c=d&e=%22"));
    EXPECT_TRUE(IsLinkableUrl("HtTpS://host/"));
    for (const char* url :
         { "javascript:alert(1)", "data:text/html,x", "file:///c:/x", "http://a/\"x", "http://a/'x",
           "http://a/<x", "http://a/ x", "http://a/\\x", "http://a/`x", "https://a/\xC3\xBC",
           " http://a/", "http:/a", "" })
        EXPECT_FALSE(IsLinkableUrl(url)) << url;
}

TEST(ReportTime, IsoTextOfKnownMoments)
{
    EXPECT_EQ(IsoUtcTime(FileTimeOf(0)), "1970-01-01T00:00:00Z");
    EXPECT_EQ(IsoUtcTime(FileTimeOf(951782400)), "2000-02-29T00:00:00Z");
    EXPECT_EQ(IsoUtcTime(FileTimeOf(4107542399)), "2100-02-28T23:59:59Z");
    EXPECT_EQ(IsoUtcTime(FileTimeOf(4107542400)), "2100-03-01T00:00:00Z");
    EXPECT_EQ(IsoUtcTime(FileTimeOf(-1)), "1969-12-31T23:59:59Z");
    EXPECT_EQ(IsoUtcTime(FileTimeOf(253402300799)), "9999-12-31T23:59:59Z");
    EXPECT_EQ(IsoUtcTime(FileTimeOf(253402300800)), "");
    EXPECT_EQ(IsoUtcTime(UINT64_MAX), "");
    EXPECT_EQ(IsoUtcTime(0), "");
    EXPECT_EQ(IsoLocalTime(FileTimeOf(1709249400), 345), "2024-03-01T05:15:00+05:45");
    EXPECT_EQ(IsoLocalTime(FileTimeOf(1709249400), -210), "2024-02-29T20:00:00-03:30");
    EXPECT_EQ(IsoLocalTime(FileTimeOf(1709249400), 14 * 60), "2024-03-01T13:30:00+14:00");
    EXPECT_EQ(IsoLocalTime(FileTimeOf(1709249400), 14 * 60 + 1), "");
    EXPECT_EQ(IsoLocalTime(0, 60), "");
}

TEST(ReportPng, ImageMagickReadsThePixelsBack)
{
    const uint32_t width = 5, height = 3;
    const size_t stride = 16;  // a DIB's rows, padded to four bytes
    const std::vector<uint8_t> rows = Pattern(width, height, stride);
    const std::string png = EncodePng(rows.data(), width, height, stride, true);
    ASSERT_FALSE(png.empty());
    WriteFile(TempPath("pattern.png"), png);
    const std::string rgb = TempPath("pattern.rgb");
    std::remove(rgb.c_str());
    const std::string command = "convert " + TempPath("pattern.png") + " -depth 8 rgb:" + rgb;
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream file(rgb, std::ios::binary);
    const std::string pixels((std::istreambuf_iterator<char>(file)), {});
    ASSERT_EQ(pixels.size(), size_t(width) * height * 3);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* bgr = &rows[stride * (height - 1 - y) + 3 * x];
            const char* read = &pixels[(size_t(y) * width + x) * 3];
            EXPECT_EQ(uint8_t(read[0]), bgr[2]) << x << "," << y;
            EXPECT_EQ(uint8_t(read[1]), bgr[1]) << x << "," << y;
            EXPECT_EQ(uint8_t(read[2]), bgr[0]) << x << "," << y;
        }
    }
    EXPECT_EQ(EncodePng(rows.data(), 0, 3, stride, true), "");
    EXPECT_EQ(EncodePng(rows.data(), 6, 3, stride, true), "");  // stride short of a row
    EXPECT_EQ(EncodePng(rows.data(), 1, 1u << 30, 4, true), "");
}

TEST(ReportFormats, ChosenByTheFileNamesExtension)
{
    ReportFormat format = ReportFormat::Html;
    EXPECT_TRUE(ReportFormatOfFileName("C:\\out\\list.CSV", format));
    EXPECT_EQ(format, ReportFormat::Csv);
    EXPECT_TRUE(ReportFormatOfFileName("list.tsv", format));
    EXPECT_EQ(format, ReportFormat::Text);
    EXPECT_TRUE(ReportFormatOfFileName("a.b.Html", format));
    EXPECT_EQ(format, ReportFormat::Html);
    for (const char* name : { "list", "list.pdf", "dir.csv\\list", "csv", "list.csv." })
        EXPECT_FALSE(ReportFormatOfFileName(name, format)) << name;
}

TEST(ReportFormats, AFailedWriteStopsTheReport)
{
    for (ReportFormat format : { ReportFormat::Csv, ReportFormat::Text, ReportFormat::Html }) {
        FailingOutput output(2);
        std::unique_ptr<ReportWriter> writer =
            MakeReportWriter(format, ReportKind::Pictures, output);
        const std::vector<ReportRow> rows = HostileRows();
        EXPECT_TRUE(writer->Begin("t"));
        EXPECT_TRUE(writer->Row(rows[0]));
        EXPECT_FALSE(writer->Row(rows[1]));
        EXPECT_FALSE(writer->Row(rows[2]));
        EXPECT_FALSE(writer->End());
        EXPECT_EQ(output.calls, 3);
    }
}

// 100,000 rows in each format, timed, through an output that keeps nothing:
// no write is larger than one row's, so no report is held whole. The bound
// is on the processor time this test used, as the machine's other builds
// stretch the wall clock's; the sanitizers make it several times slower
// than the shipped build.
TEST(ReportScale, HundredThousandRowsStreamInSeconds)
{
    ReportRow row = HostileRows()[0];
    row.url = "https://www.example.com/assets/images/gallery/2024/02/photo-of-the-day.png?w=640";
    const size_t rowBytesBound = 4096 + row.thumbnail.size() * 2;
    for (ReportFormat format : { ReportFormat::Csv, ReportFormat::Text, ReportFormat::Html }) {
        for (ReportKind kind : { ReportKind::Pictures, ReportKind::Files }) {
            CountingOutput output;
            const auto start = std::chrono::steady_clock::now();
            const std::clock_t startCpu = std::clock();
            std::unique_ptr<ReportWriter> writer = MakeReportWriter(format, kind, output);
            ASSERT_TRUE(writer->Begin("100,000 rows"));
            for (int i = 0; i < 100000; ++i) {
                row.name = "picture-" + std::to_string(i) + ".png";
                row.storedSize = uint64_t(i) * 977;
                ASSERT_TRUE(writer->Row(row));
            }
            ASSERT_TRUE(writer->End());
            const double cpu = double(std::clock() - startCpu) / CLOCKS_PER_SEC;
            const double wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("format %d kind %d: %.3f s processor, %.3f s wall, %llu bytes\n",
                        int(format), int(kind), cpu, wall,
                        static_cast<unsigned long long>(output.total));
            EXPECT_LT(cpu, 2.0);
            EXPECT_GT(output.total, 100000u * 100);
            EXPECT_LT(output.largest, rowBytesBound);
            EXPECT_EQ(output.last, '\n');
        }
    }
}

}  // namespace
