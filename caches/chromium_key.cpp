#include "caches/chromium_key.h"

#include <cstdint>

namespace {

const char kDoubleKeyMark[] = "_dk_";

bool IsDigits(const std::string& text, size_t begin, size_t end)
{
    if (begin >= end)
        return false;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

// "scheme:" with a scheme of RFC 3986 characters: what tells a URL from junk.
bool LooksLikeUrl(const std::string& text)
{
    size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 32)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = text[i];
        bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!alpha && !(i > 0 && other))
            return false;
    }
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

bool StartsWith(const std::string& text, size_t at, const char* prefix)
{
    return text.compare(at, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Skips "<credentials>/<upload id>/" when both are numbers.
size_t SkipRequestPrefix(const std::string& key)
{
    size_t first = key.find('/');
    if (first == std::string::npos || !IsDigits(key, 0, first))
        return 0;
    size_t second = key.find('/', first + 1);
    if (second == std::string::npos || !IsDigits(key, first + 1, second))
        return 0;
    return second + 1;
}

bool ParseHex(const std::string& text, uint64_t& value)
{
    if (text.empty() || text.size() > 16)
        return false;
    value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = (value << 4) | static_cast<uint64_t>(digit);
    }
    return true;
}

}  // namespace

ChromiumKey ParseChromiumKey(const std::string& stored)
{
    ChromiumKey parsed;
    // A key cut short by a damaged store may run into padding.
    std::string key = stored.substr(0, stored.find('\0'));
    size_t at = SkipRequestPrefix(key);
    if (StartsWith(key, at, kDoubleKeyMark)) {
        at += sizeof(kDoubleKeyMark) - 1;
        // Flags before the sites: "s_" (subframe document), "cn_" (cross-site
        // main-frame navigation); newer ones follow the same pattern.
        while (at < key.size()) {
            size_t underscore = key.find('_', at);
            size_t space = key.find(' ', at);
            size_t colon = key.find(':', at);
            if (underscore == std::string::npos || underscore - at > 3 ||
                (space != std::string::npos && underscore > space) ||
                (colon != std::string::npos && underscore > colon))
                break;
            at = underscore + 1;
        }
        size_t firstSpace = key.find(' ', at);
        size_t lastSpace = key.rfind(' ');
        if (firstSpace != std::string::npos && lastSpace > firstSpace) {
            parsed.topFrameSite = key.substr(at, firstSpace - at);
            parsed.frameSite = key.substr(firstSpace + 1, lastSpace - firstSpace - 1);
            at = lastSpace + 1;
        } else if (lastSpace != std::string::npos && lastSpace >= at) {
            parsed.topFrameSite = key.substr(at, lastSpace - at);
            at = lastSpace + 1;
        }
    } else {
        // Older keys may carry other space-separated parts; the URL is the last.
        size_t lastSpace = key.rfind(' ');
        if (lastSpace != std::string::npos && lastSpace >= at)
            at = lastSpace + 1;
    }
    std::string url = key.substr(at);
    if (LooksLikeUrl(url))
        parsed.url = url;
    if (!LooksLikeUrl(parsed.topFrameSite))
        parsed.topFrameSite.clear();
    if (!LooksLikeUrl(parsed.frameSite))
        parsed.frameSite.clear();
    return parsed;
}

bool ParseSparseChildKey(const std::string& key, std::string& parentKey, uint64_t& signature,
                         uint64_t& childIndex)
{
    if (!StartsWith(key, 0, "Range_"))
        return false;
    size_t last = key.rfind(':');
    if (last == std::string::npos || last < 6)
        return false;
    size_t middle = key.rfind(':', last - 1);
    if (middle == std::string::npos || middle < 6)
        return false;
    if (!ParseHex(key.substr(middle + 1, last - middle - 1), signature) ||
        !ParseHex(key.substr(last + 1), childIndex))
        return false;
    parentKey = key.substr(6, middle - 6);
    return true;
}
