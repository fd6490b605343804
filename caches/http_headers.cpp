#include "caches/http_headers.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// The part of [begin, end) without the spaces and tabs around it.
void TrimSpan(const char*& begin, const char*& end)
{
    while (begin < end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
}

std::string Trim(const std::string& text)
{
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos)
        return "";
    size_t end = text.find_last_not_of(" \t");
    return text.substr(start, end - start + 1);
}

// Header names are ASCII: folded here without the C library's locale look-up,
// which a listing would otherwise pay for every character of every header.
char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return i == a.size() && b[i] == 0;
}

}  // namespace

int StatusCodeOf(const std::string& statusLine)
{
    size_t space = statusLine.find(' ');
    if (space == std::string::npos || statusLine.size() < space + 4)
        return 0;
    int code = 0;
    for (size_t i = space + 1; i < space + 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(statusLine[i])))
            return 0;
        code = code * 10 + (statusLine[i] - '0');
    }
    if (statusLine.size() > space + 4 && statusLine[space + 4] != ' ')
        return 0;
    return code;
}

bool SplitHeaderLine(const char* line, size_t length, HttpHeader& header)
{
    const char* end = line + length;
    const char* colon = static_cast<const char*>(std::memchr(line, ':', length));
    if (!colon || colon == line)
        return false;
    const char* nameBegin = line;
    const char* nameEnd = colon;
    const char* valueBegin = colon + 1;
    const char* valueEnd = end;
    TrimSpan(nameBegin, nameEnd);
    TrimSpan(valueBegin, valueEnd);
    header.name.assign(nameBegin, nameEnd);
    header.value.assign(valueBegin, valueEnd);
    return !header.name.empty();
}

const std::string* FindHeader(const std::vector<HttpHeader>& headers, const char* name)
{
    for (const HttpHeader& header : headers)
        if (SameName(header.name, name))
            return &header.value;
    return nullptr;
}

std::string MediaType(const std::string& contentType)
{
    const char* begin = contentType.data();
    const char* end = begin + std::min(contentType.size(), contentType.find(';'));
    TrimSpan(begin, end);
    std::string type(begin, end);
    for (char& c : type)
        c = AsciiLower(c);
    return type;
}

int64_t ParseLength(const std::string& text)
{
    std::string digits = Trim(text);
    if (digits.empty() || digits.size() > 18)
        return -1;
    int64_t value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

ContentRange ParseContentRange(const std::string& text)
{
    ContentRange range;
    std::string value = Trim(text);
    if (value.compare(0, 6, "bytes ") != 0)
        return range;
    size_t dash = value.find('-', 6), slash = value.find('/', 6);
    if (dash == std::string::npos || slash == std::string::npos || dash > slash)
        return range;
    range.first = ParseLength(value.substr(6, dash - 6));
    range.last = ParseLength(value.substr(dash + 1, slash - dash - 1));
    std::string total = value.substr(slash + 1);
    range.total = total == "*" ? -1 : ParseLength(total);
    range.valid =
        range.first >= 0 && range.last >= range.first && (total == "*" || range.total > range.last);
    return range;
}

int64_t ResourceLengthOf(const CacheEntry& entry)
{
    if (entry.status == 206) {
        const std::string* range = FindHeader(entry.headers, "Content-Range");
        ContentRange parsed = range ? ParseContentRange(*range) : ContentRange();
        return parsed.valid ? parsed.total : -1;
    }
    const std::string* length = FindHeader(entry.headers, "Content-Length");
    return length ? ParseLength(*length) : -1;
}

void DeriveContentFacts(CacheEntry& entry)
{
    if (const std::string* type = FindHeader(entry.headers, "Content-Type"))
        entry.contentType = MediaType(*type);
    if (const std::string* encoding = FindHeader(entry.headers, "Content-Encoding"))
        entry.contentEncoding = *encoding;
    entry.contentLength = ResourceLengthOf(entry);
}
