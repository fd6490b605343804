#include "caches/content_coding.h"

#include <cctype>

namespace {

std::string TrimmedLower(const std::string& text, size_t begin, size_t end)
{
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    std::string item = text.substr(begin, end - begin);
    for (char& c : item)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return item;
}

bool CodingByName(const std::string& name, ContentCoding& coding)
{
    if (name == "gzip" || name == "x-gzip")
        coding = ContentCoding::Gzip;
    else if (name == "deflate")
        coding = ContentCoding::Deflate;
    else if (name == "br")
        coding = ContentCoding::Brotli;
    else if (name == "zstd")
        coding = ContentCoding::Zstd;
    else
        return false;
    return true;
}

}  // namespace

bool ParseContentCodings(const std::string& headerValue, std::vector<ContentCoding>& codings)
{
    codings.clear();
    size_t begin = 0;
    while (begin <= headerValue.size()) {
        size_t end = headerValue.find(',', begin);
        if (end == std::string::npos)
            end = headerValue.size();
        std::string name = TrimmedLower(headerValue, begin, end);
        begin = end + 1;
        if (name.empty() || name == "identity")
            continue;
        ContentCoding coding;
        if (!CodingByName(name, coding) || codings.size() == kMaxContentCodings)
            return false;
        codings.push_back(coding);
    }
    return true;
}
