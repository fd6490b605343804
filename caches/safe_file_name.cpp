#include "caches/safe_file_name.h"

#include <cctype>

namespace {

constexpr const char* kFallbackName = "file";
constexpr int kMaxAttempts = 100000;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The URL's path (without query or fragment) and host.
void SplitUrl(const std::string& url, std::string& host, std::string& path)
{
    std::string rest = url;
    size_t scheme = rest.find("://");
    if (scheme != std::string::npos)
        rest = rest.substr(scheme + 3);
    size_t cut = rest.find_first_of("?#");
    if (cut != std::string::npos)
        rest = rest.substr(0, cut);
    size_t slash = rest.find('/');
    host = rest.substr(0, slash);
    path = slash == std::string::npos ? "" : rest.substr(slash);
    size_t at = host.rfind('@');
    if (at != std::string::npos)
        host = host.substr(at + 1);
    size_t colon = host.rfind(':');
    if (colon != std::string::npos && host.find(']') == std::string::npos)
        host = host.substr(0, colon);
}

std::string LastSegment(const std::string& path)
{
    size_t end = path.find_last_not_of("/\\");
    if (end == std::string::npos)
        return "";
    size_t start = path.find_last_of("/\\", end);
    return path.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "%20" becomes a space; an escaped separator is cleaned like any other.
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

bool Forbidden(unsigned char c)
{
    return c < 0x20 || c == 0x7f || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' ||
           c == '\\' || c == '|' || c == '?' || c == '*';
}

std::string ReplaceForbidden(const std::string& text)
{
    std::string out;
    for (char c : text)
        out.push_back(Forbidden(static_cast<unsigned char>(c)) ? '_' : c);
    return out;
}

void TrimEnds(std::string& name)
{
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    size_t start = name.find_first_not_of(' ');
    name = start == std::string::npos ? "" : name.substr(start);
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever extension follows.
bool IsDeviceName(const std::string& name)
{
    std::string stem = Lower(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul")
        return true;
    if (stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0))
        return stem[3] >= '1' && stem[3] <= '9';
    return false;
}

// Cut to maxLength keeping the extension, without splitting a UTF-8 sequence.
std::string Shorten(const std::string& name, size_t maxLength)
{
    if (name.size() <= maxLength)
        return name;
    size_t dot = name.rfind('.');
    std::string extension =
        dot != std::string::npos && name.size() - dot <= 16 ? name.substr(dot) : "";
    if (extension.size() >= maxLength)
        extension.clear();
    size_t keep = maxLength - extension.size();
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return name.substr(0, keep) + extension;
}

// "", "." and ".." (and all-dot names, which Windows trims to nothing) give "".
std::string Clean(const std::string& segment, size_t maxLength)
{
    std::string name = ReplaceForbidden(segment);
    TrimEnds(name);
    name = Shorten(name, maxLength);
    TrimEnds(name);
    return name;
}

}  // namespace

std::string UrlLastSegment(const std::string& url, std::string* host)
{
    std::string hostPart, path;
    SplitUrl(url, hostPart, path);
    if (host)
        *host = hostPart;
    return LastSegment(path);
}

std::string CleanFileName(const std::string& name, size_t maxLength)
{
    if (maxLength < 16)
        maxLength = 16;
    std::string clean = Clean(name, maxLength);
    if (!clean.empty() && IsDeviceName(clean))
        clean = Clean("_" + clean, maxLength);
    return clean;
}

std::string SafeFileName(const std::string& url, size_t maxLength)
{
    std::string host;
    std::string segment = UrlLastSegment(url, &host);
    std::string name = CleanFileName(LastSegment(PercentDecode(segment)), maxLength);
    if (name.empty())
        name = CleanFileName(host, maxLength);
    if (name.empty())
        name = kFallbackName;
    return name;
}

std::string UniqueFileName(const std::string& name,
                           const std::function<bool(const std::string&)>& taken)
{
    if (!taken(name))
        return name;
    size_t dot = name.rfind('.');
    if (dot == 0)
        dot = std::string::npos;
    std::string stem = name.substr(0, dot);
    std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    for (int n = 2; n < kMaxAttempts; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
        if (!taken(candidate))
            return candidate;
    }
    return "";
}
