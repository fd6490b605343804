// The Image browser's HTML report: a contact sheet of cards, each with the
// picture's thumbnail embedded as a data URI, its name, size and URL, so the
// one file shows every picture wherever it is opened.
#include "reports/html_page.h"
#include "reports/html_text.h"
#include "reports/report_stream.h"
#include "reports/report_time.h"
#include "reports/report_writers.h"

#include <cstdint>

namespace {

// A thumbnail is a few kilobytes; a larger block is not one, and a card
// stays bounded whatever the caller hands over.
constexpr size_t kLargestThumbnail = 1u << 20;

const char kStyle[] =
    "body{font:13px sans-serif;margin:1em;background:#fff}\n"
    ".sheet{display:flex;flex-wrap:wrap;gap:12px}\n"
    ".card{width:200px;border:1px solid #ccc;padding:6px;overflow-wrap:anywhere}\n"
    ".thumb{display:block;margin:0 auto 4px;max-width:200px}\n"
    ".none{height:96px;background:#eee;margin-bottom:4px}\n"
    ".name{font-weight:bold}\n"
    ".meta,.url{color:#555;font-size:12px}\n";

// Only picture types a browser shows and none that can hold a script.
bool IsThumbnailType(const std::string& type)
{
    for (const char* known :
         { "image/png", "image/jpeg", "image/gif", "image/webp", "image/bmp" }) {
        if (type == known)
            return true;
    }
    return false;
}

void AppendBase64(const std::string& bytes, std::string& out)
{
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    out.reserve(out.size() + (bytes.size() + 2) / 3 * 4);
    size_t at = 0;
    for (; at + 3 <= bytes.size(); at += 3) {
        const uint32_t group = uint32_t(uint8_t(bytes[at])) << 16 |
                               uint32_t(uint8_t(bytes[at + 1])) << 8 | uint8_t(bytes[at + 2]);
        out += kDigits[group >> 18];
        out += kDigits[(group >> 12) & 63];
        out += kDigits[(group >> 6) & 63];
        out += kDigits[group & 63];
    }
    const size_t left = bytes.size() - at;
    if (left == 0)
        return;
    uint32_t group = uint32_t(uint8_t(bytes[at])) << 16;
    if (left == 2)
        group |= uint32_t(uint8_t(bytes[at + 1])) << 8;
    out += kDigits[group >> 18];
    out += kDigits[(group >> 12) & 63];
    out += left == 2 ? kDigits[(group >> 6) & 63] : '=';
    out += '=';
}

// 1234567 as "1,234,567".
void AppendGrouped(uint64_t value, std::string& out)
{
    const std::string digits = std::to_string(value);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
}

void AppendThumbnail(const ReportRow& row, std::string& out)
{
    if (row.thumbnail.empty() || row.thumbnail.size() > kLargestThumbnail ||
        !IsThumbnailType(row.thumbnailType)) {
        out += "<div class=\"none\"></div>";
        return;
    }
    out += "<img class=\"thumb\" alt=\"\" src=\"data:";
    out += row.thumbnailType;
    out += ";base64,";
    AppendBase64(row.thumbnail, out);
    out += "\">";
}

void AppendCard(const ReportRow& row, std::string& out)
{
    out += "<div class=\"card\">";
    AppendThumbnail(row, out);
    out += "<div class=\"name\">";
    AppendHtmlText(row.name, out);
    out += "</div><div class=\"meta\">";
    if (row.width && row.height) {
        out += std::to_string(row.width);
        out += " \xC3\x97 ";  // U+00D7, the multiplication sign
        out += std::to_string(row.height);
        out += ", ";
    }
    AppendGrouped(row.decodedSize, out);
    out += " bytes";
    const std::string cached = IsoUtcTime(row.cachedTime);
    if (!cached.empty()) {
        out += ", ";
        out += cached;
    }
    out += "</div><div class=\"meta\">";
    AppendHtmlText(row.cache, out);
    out += "</div><div class=\"url\">";
    AppendUrl(row.url, out);
    out += "</div></div>\n";
}

class ContactSheetWriter : public ReportWriter {
public:
    explicit ContactSheetWriter(ReportOutput& output) : m_stream(output) {}

    bool Begin(const std::string& title) override
    {
        AppendPageStart(title, kStyle, "'none'", m_stream.Text());
        m_stream.Text() += "<div class=\"sheet\">\n";
        return m_stream.Flush();
    }

    bool Row(const ReportRow& row) override
    {
        AppendCard(row, m_stream.Text());
        ++m_rows;
        return m_stream.Flush();
    }

    bool End() override
    {
        std::string& text = m_stream.Text();
        text += "</div>\n<p>";
        text += std::to_string(m_rows);
        text += m_rows == 1 ? " picture" : " pictures";
        text += "</p>\n</body></html>\n";
        return m_stream.Flush();
    }

private:
    ReportStream m_stream;
    uint64_t m_rows = 0;
};

}  // namespace

std::unique_ptr<ReportWriter> MakeContactSheetWriter(ReportOutput& output)
{
    return std::make_unique<ContactSheetWriter>(output);
}
