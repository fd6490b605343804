// The list reports in the Windows build: a report written to a file under a
// non-ASCII name reads back field for field (no CR added to its line ends),
// the cached times agree with the system's own calendar, and 100,000 rows
// reach the disk in a few seconds.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "reports/report_time.h"
#include "reports/report_writer.h"
#include "tests/common/report_readers.h"
#include "tests/win/temp_tree.h"

namespace {

std::wstring Wide(const std::string& utf8)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], length);
    return wide;
}

// Writes the rows to the file through stdio opened for binary writing; the
// file's bytes.
std::string WriteFile(const std::string& path, ReportFormat format,
                      const std::vector<ReportRow>& rows)
{
    std::FILE* file = _wfopen(Wide(path).c_str(), L"wb");
    EXPECT_NE(file, nullptr) << path;
    if (!file)
        return std::string();
    {
        StdioReportOutput output(file);
        std::unique_ptr<ReportWriter> writer = MakeReportWriter(format, ReportKind::Files, output);
        EXPECT_TRUE(writer->Begin("list"));
        for (const ReportRow& row : rows)
            EXPECT_TRUE(writer->Row(row));
        EXPECT_TRUE(writer->End());
    }
    EXPECT_EQ(std::fclose(file), 0);
    std::ifstream in(Wide(path).c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

uint64_t FileTimeOf(const SYSTEMTIME& time)
{
    FILETIME file = {};
    EXPECT_TRUE(SystemTimeToFileTime(&time, &file));
    return (uint64_t(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

TEST(ReportsOnWindows, FileUnderAUnicodeNameReadsBack)
{
    TempTree tree;
    std::vector<ReportRow> rows(2);
    rows[0].name = "r\xC3\xA9sum\xC3\xA9, \"final\"\r\nsecond line.pdf";
    rows[0].url = "http://127.0.0.1/a,b";
    rows[0].cache = "Edge (Profile 1)";
    rows[0].storedSize = 4096;
    rows[1].name = "tab\there\\.txt";
    rows[1].url = "javascript:alert(1)";
    const std::string folder = tree.Root() + "\\r\xC3\xA9sum\xC3\xA9s";
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));

    ReportRecords records;
    ASSERT_TRUE(ReadCsv(WriteFile(folder + "\\list.csv", ReportFormat::Csv, rows), records));
    ASSERT_EQ(records.size(), 3u);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(records[i + 1][0], rows[i].name);
            EXPECT_EQ(records[i + 1][1], rows[i].url);
            EXPECT_EQ(records[i + 1][3], rows[i].cache);
            EXPECT_EQ(records[i + 1][6], std::to_string(rows[i].storedSize));
        }
        ASSERT_TRUE(
            ReadTabText(WriteFile(folder + "\\list.txt", ReportFormat::Text, rows), records));
        ASSERT_EQ(records.size(), 3u);
    }
}

TEST(ReportsOnWindows, TimesAgreeWithTheSystemCalendar)
{
    const SYSTEMTIME kMoments[] = {
        { 1601, 1, 1, 1, 0, 0, 0, 0 },     { 1970, 1, 4, 1, 0, 0, 0, 0 },
        { 2000, 2, 2, 29, 12, 34, 56, 0 }, { 2024, 3, 5, 1, 23, 59, 59, 0 },
        { 2100, 3, 1, 1, 0, 0, 1, 0 },     { 9999, 12, 5, 31, 23, 59, 59, 0 },
    };
    for (const SYSTEMTIME& moment : kMoments) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%04u-%02u-%02uT%02u:%02u:%02uZ", moment.wYear,
                      moment.wMonth, moment.wDay, moment.wHour, moment.wMinute, moment.wSecond);
        const uint64_t fileTime = FileTimeOf(moment) + 9999999;  // a tick short of the next second
        EXPECT_EQ(IsoUtcTime(fileTime), expected);
    }
}

TEST(ReportsOnWindows, HundredThousandRowsToDisk)
{
    TempTree tree;
    ReportRow row;
    row.url = "https://www.example.com/assets/scripts/bundle-of-the-day.js?v=12345";
    row.visitedSite = "https://www.example.com";
    row.cache = "Chrome (Default)";
    row.contentType = "application/javascript";
    row.encoding = "br";
    row.cachedTime = 133780000000000000;
    row.localOffsetMinutes = 60;
    for (ReportFormat format : { ReportFormat::Csv, ReportFormat::Html }) {
        const std::string path =
            tree.Root() + (format == ReportFormat::Csv ? "\\big.csv" : "\\big.htm");
        std::FILE* file = _wfopen(Wide(path).c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        const auto start = std::chrono::steady_clock::now();
        StdioReportOutput output(file);
        std::unique_ptr<ReportWriter> writer = MakeReportWriter(format, ReportKind::Files, output);
        ASSERT_TRUE(writer->Begin("100,000 rows"));
        for (int i = 0; i < 100000; ++i) {
            row.name = "bundle-" + std::to_string(i) + ".js";
            row.storedSize = uint64_t(i) * 131;
            ASSERT_TRUE(writer->Row(row));
        }
        ASSERT_TRUE(writer->End());
        ASSERT_EQ(std::fclose(file), 0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data));
        std::printf("%s: 100,000 rows, %lu bytes in %.3f s\n", path.c_str(), data.nFileSizeLow,
                    seconds);
        EXPECT_GT(data.nFileSizeLow, 100000u * 100);
        EXPECT_LT(seconds, 5.0);
    }
}

}  // namespace
