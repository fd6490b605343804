#include "scan/entry_name.h"

#include "caches/safe_file_name.h"
#include "scan/web_types.h"

#include <cstdint>

namespace {

constexpr const char* kFallbackName = "file";

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// The segment as the server's own escapes left it, with every byte outside
// ASCII escaped as well: a name of ASCII only, exact in any code page.
std::string EscapeNonAscii(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 15]);
        }
    }
    return out;
}

// Strict UTF-8 (no overlong forms, surrogates or values past U+10FFFF) to
// UTF-16; false on any fault.
bool Utf16FromUtf8(const std::string& text, std::u16string& wide)
{
    wide.clear();
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80                   ? 1
                        : lead >= 0xC2 && lead < 0xE0 ? 2
                        : lead >= 0xE0 && lead < 0xF0 ? 3
                        : lead >= 0xF0 && lead < 0xF5 ? 4
                                                      : 0;
        if (length == 0 || length > text.size() - i)
            return false;
        uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = value << 6 | (next & 0x3F);
        }
        static const uint32_t kLeast[] = { 0, 0, 0x80, 0x800, 0x10000 };
        if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000))
            return false;
        if (value >= 0x10000) {
            value -= 0x10000;
            wide.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else {
            wide.push_back(static_cast<char16_t>(value));
        }
        i += length;
    }
    return true;
}

bool ToAnsi(const std::string& utf8, const AnsiConverter& toAnsi, std::string& ansi)
{
    std::u16string wide;
    ansi.clear();
    return Utf16FromUtf8(utf8, wide) && toAnsi && toAnsi(wide, ansi) && !ansi.empty() &&
           ansi.size() <= kEntryNameLength;
}

bool HasExtension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < name.size();
}

// A cleaned name (UTF-8 or ASCII) from the segment, or from the host when
// the segment leaves nothing; the type's extension added where it belongs.
std::string NameFrom(const std::string& segment, const std::string& host,
                     const std::string& contentType)
{
    std::string name = CleanFileName(segment, kEntryNameLength);
    bool fromHost = false;
    if (name.empty()) {
        name = CleanFileName(EscapeNonAscii(host), kEntryNameLength);
        fromHost = true;
    }
    if (name.empty()) {
        name = kFallbackName;
        fromHost = true;
    }
    const WebType* type = WebTypeOfContentType(BareContentType(contentType));
    if (type && (fromHost || !HasExtension(name)))
        name = CleanFileName(name + "." + type->extension, kEntryNameLength);
    return name;
}

}  // namespace

std::string EntryRowName(const std::string& url, const std::string& contentType,
                         const AnsiConverter& toAnsi)
{
    std::string host;
    const std::string segment = UrlLastSegment(url, &host);
    std::string ansi;
    // Cleaning keeps UTF-8 whole and only shortens it, and no ANSI code page
    // takes more bytes for a character than UTF-8 does: a decoded segment
    // that converts whole converts after cleaning too, and stays in bounds.
    if (ToAnsi(NameFrom(PercentDecode(segment), host, contentType), toAnsi, ansi))
        return ansi;
    const std::string escaped = NameFrom(EscapeNonAscii(segment), host, contentType);
    if (ToAnsi(escaped, toAnsi, ansi))
        return ansi;
    // A converter that refuses even ASCII: the ASCII name is the same bytes
    // in every code page the platform uses for file names.
    return escaped;
}
