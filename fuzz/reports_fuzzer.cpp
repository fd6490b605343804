// Arbitrary rows through every list report: CSV and tab-separated text read
// back field for field, and each HTML page has exactly the markup of the
// same rows with tame texts (the data never adds a tag or an attribute, nor
// ends a quoted value early) and stays valid UTF-8.
#include "reports/html_text.h"
#include "reports/report_columns.h"
#include "reports/report_writer.h"
#include "tests/common/report_readers.h"
#include "tests/common/string_report_output.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

std::string Write(ReportFormat format, ReportKind kind, const std::string& title,
                  const std::vector<ReportRow>& rows)
{
    StringOutput output;
    std::unique_ptr<ReportWriter> writer = MakeReportWriter(format, kind, output);
    Check(writer->Begin(title));
    for (const ReportRow& row : rows)
        Check(writer->Row(row));
    Check(writer->End());
    return output.text;
}

ReportRow MadeRow(FuzzedDataProvider& input)
{
    ReportRow row;
    for (std::string* text : { &row.name, &row.url, &row.visitedSite, &row.cache, &row.contentType,
                               &row.encoding, &row.thumbnail, &row.thumbnailType })
        *text = input.ConsumeRandomLengthString(256);
    if (input.ConsumeBool())
        row.thumbnailType = "image/png";
    row.storedSize = input.ConsumeIntegral<uint64_t>();
    row.decodedSize = input.ConsumeIntegral<uint64_t>();
    row.cachedTime = input.ConsumeIntegral<uint64_t>();
    row.localOffsetMinutes = input.ConsumeIntegral<int32_t>();
    row.width = input.ConsumeIntegral<uint32_t>();
    row.height = input.ConsumeIntegral<uint32_t>();
    return row;
}

std::string TameUrl(const std::string& url)
{
    return IsLinkableUrl(url) ? "http://x/" : "x";
}

// The same row with texts that need no escaping, links where it had them.
ReportRow Tamed(ReportRow row)
{
    for (std::string* text : { &row.name, &row.cache, &row.contentType, &row.encoding })
        *text = "x";
    row.url = TameUrl(row.url);
    row.visitedSite = TameUrl(row.visitedSite);
    return row;
}

std::vector<std::vector<std::string>> Cells(ReportKind kind, const std::vector<ReportRow>& rows)
{
    std::vector<std::vector<std::string>> records(1);
    for (const ReportColumn& column : ReportColumns(kind))
        records[0].push_back(column.title);
    for (const ReportRow& row : rows) {
        records.emplace_back();
        for (const ReportColumn& column : ReportColumns(kind)) {
            records.back().emplace_back();
            column.cell(row, records.back().back());
        }
    }
    return records;
}

// Every tag with its attribute values emptied, in order: the page's markup.
std::vector<std::string> Markup(const std::string& page)
{
    std::vector<std::string> tags;
    size_t at = page.find('<');
    while (at != std::string::npos) {
        std::string tag;
        size_t end = at;
        while (end < page.size() && page[end] != '>') {
            tag += page[end];
            if (page.compare(end, 2, "=\"") == 0) {
                const size_t close = page.find('"', end + 2);
                Check(close != std::string::npos);
                tag += "\"\"";
                end = close;
            }
            ++end;
        }
        tags.push_back(tag);
        at = page.find('<', end);
    }
    return tags;
}

// RFC 3629: no stray continuation, overlong form, surrogate or code point
// past U+10FFFF.
bool IsUtf8(const std::string& text)
{
    size_t at = 0;
    while (at < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || at + length > text.size())
            return false;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t i = 1; i < length; ++i) {
            const unsigned char next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        static const uint32_t kSmallest[5] = { 0, 0, 0x80, 0x800, 0x10000 };
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        at += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const ReportKind kind = input.ConsumeBool() ? ReportKind::Pictures : ReportKind::Files;
    const std::string title = input.ConsumeRandomLengthString(64);
    std::vector<ReportRow> rows;
    std::vector<ReportRow> tame;
    const int count = input.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < count; ++i) {
        rows.push_back(MadeRow(input));
        tame.push_back(Tamed(rows.back()));
    }
    const std::vector<std::vector<std::string>> cells = Cells(kind, rows);

    ReportRecords records;
    Check(ReadCsv(Write(ReportFormat::Csv, kind, title, rows), records));
    Check(records == cells);
    Check(ReadTabText(Write(ReportFormat::Text, kind, title, rows), records));
    Check(records == cells);

    const std::string page = Write(ReportFormat::Html, kind, title, rows);
    Check(Markup(page) == Markup(Write(ReportFormat::Html, kind, "x", tame)));
    Check(IsUtf8(page));
    return 0;
}
