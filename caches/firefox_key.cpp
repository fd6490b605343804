#include "caches/firefox_key.h"

#include "caches/percent_decode.h"

#include <cctype>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        parts.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

bool IsDigits(const std::string& text)
{
    if (text.empty() || text.size() > 5)
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool IsSchemeText(const std::string& text)
{
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    return true;
}

bool IsHostText(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= ' ' || u == 0x7f || c == '/' || c == '?' || c == '#' || c == '@' || c == '\\')
            return false;
    }
    return true;
}

// The value of one tag: up to a single ',' (",," stands for a comma in it).
// Returns the position after the terminating comma, or npos when there is none.
size_t ReadTagValue(const std::string& key, size_t pos, std::string& value)
{
    value.clear();
    while (pos < key.size()) {
        if (key[pos] == ',') {
            if (pos + 1 < key.size() && key[pos + 1] == ',') {
                value.push_back(',');
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        value.push_back(key[pos++]);
    }
    return std::string::npos;
}

std::string PartitionKeyOf(const std::string& originSuffix)
{
    // "^name=value&name=value"
    std::string attributes = originSuffix;
    if (!attributes.empty() && attributes[0] == '^')
        attributes.erase(0, 1);
    for (const std::string& pair : Split(attributes, '&')) {
        size_t equals = pair.find('=');
        if (equals != std::string::npos && pair.compare(0, equals, "partitionKey") == 0)
            return PercentDecode(pair.substr(equals + 1));
    }
    return "";
}

}  // namespace

std::string SiteFromPartitionKey(const std::string& partitionKey)
{
    if (partitionKey.size() < 2 || partitionKey.front() != '(' || partitionKey.back() != ')')
        return "";
    std::vector<std::string> parts = Split(partitionKey.substr(1, partitionKey.size() - 2), ',');
    if (parts.size() < 2 || !IsSchemeText(parts[0]) || !IsHostText(parts[1]))
        return "";
    std::string site = parts[0] + "://" + parts[1];
    // A third part is the port when numeric; later parts are flags (such as the
    // foreign-ancestor bit) that say nothing about the site.
    if (parts.size() >= 3 && IsDigits(parts[2]))
        site += ":" + parts[2];
    return site;
}

FirefoxKey ParseFirefoxKey(const std::string& key)
{
    FirefoxKey parsed;
    size_t pos = 0;
    std::string value;
    while (pos < key.size()) {
        char tag = key[pos++];
        if (tag == ':') {
            parsed.url = key.substr(pos);
            parsed.valid = true;
            break;
        }
        unsigned char u = static_cast<unsigned char>(tag);
        if (u < ' ' || u > 0x7f)
            break;
        pos = ReadTagValue(key, pos, value);
        if (pos == std::string::npos)
            break;
        switch (tag) {
        case 'O':
            parsed.originSuffix = value;
            break;
        case 'a':
            parsed.anonymous = true;
            break;
        case 'p':
            parsed.privateBrowsing = true;
            break;
        case '~':
            parsed.idEnhance = value;
            break;
        default:
            break;  // older tags ('b', 'i') and ones to come: skipped with their values
        }
    }
    if (!parsed.valid) {
        parsed = FirefoxKey();
        return parsed;
    }
    if (!parsed.originSuffix.empty())
        parsed.topLevelSite = SiteFromPartitionKey(PartitionKeyOf(parsed.originSuffix));
    return parsed;
}
