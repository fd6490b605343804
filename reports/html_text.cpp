#include "reports/html_text.h"

#include <cstdint>
#include <cstring>

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

bool IsContinuation(uint8_t byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at text[at] (RFC 3629: no
// overlong forms, no surrogates, nothing past U+10FFFF), or 0.
size_t SequenceLength(const std::string& text, size_t at)
{
    const uint8_t lead = static_cast<uint8_t>(text[at]);
    const size_t left = text.size() - at;
    auto byte = [&](size_t i) { return static_cast<uint8_t>(text[at + i]); };
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && IsContinuation(byte(1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !IsContinuation(byte(1)) || !IsContinuation(byte(2)))
            return 0;
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0))
            return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !IsContinuation(byte(1)) || !IsContinuation(byte(2)) ||
            !IsContinuation(byte(3)))
            return 0;
        if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

// C1 controls arrive as two bytes, C2 80 to C2 9F.
bool IsC1Control(const std::string& text, size_t at)
{
    return static_cast<uint8_t>(text[at]) == 0xC2 && static_cast<uint8_t>(text[at + 1]) < 0xA0;
}

void AppendAscii(char c, std::string& out)
{
    switch (c) {
    case '&':
        out += "&amp;";
        break;
    case '<':
        out += "&lt;";
        break;
    case '>':
        out += "&gt;";
        break;
    case '"':
        out += "&quot;";
        break;
    case '\'':
        out += "&#39;";
        break;
    default:
        if ((static_cast<uint8_t>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F)
            out += kReplacement;
        else
            out += c;
    }
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    if (text.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
        if (c != prefix[i])
            return false;
    }
    return true;
}

// Printable ASCII that needs no reference: most of any name or URL, copied
// in runs rather than byte by byte.
bool IsPlain(char c)
{
    return c >= 0x20 && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'';
}

}  // namespace

void AppendHtmlText(const std::string& text, std::string& out)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t run = at;
        while (run < text.size() && IsPlain(text[run]))
            ++run;
        out.append(text, at, run - at);
        at = run;
        if (at == text.size())
            break;
        const size_t length = SequenceLength(text, at);
        if (length == 1)
            AppendAscii(text[at], out);
        else if (length == 0 || (length == 2 && IsC1Control(text, at)))
            out += kReplacement;
        else
            out.append(text, at, length);
        at += length ? length : 1;
    }
}

bool IsLinkableUrl(const std::string& url)
{
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://"))
        return false;
    for (char c : url) {
        const uint8_t byte = static_cast<uint8_t>(c);
        if (byte <= 0x20 || byte >= 0x7F || std::strchr("\"'<>\\`", c))
            return false;
    }
    return true;
}
