#include "caches/http_response_info.h"

#include <cctype>
#include <limits>

namespace {

// Flags of the pickle's first field (net/http/http_response_info.cc).
const uint32_t kVersionMask = 0xFF;
const uint32_t kKnownVersion = 3;
const uint32_t kTruncated = 1u << 12;
const uint32_t kHasExtraFlags = 1u << 31;
const uint32_t kExtraHasOriginalResponseTime = 1u << 2;

// Headers larger than this are not from a real response; refusing them bounds
// the work done per entry.
const size_t kMaxRawHeaders = 1 << 20;
const size_t kMaxHeaderCount = 1000;

// Reads the 4-byte aligned fields of a base::Pickle payload.
class PickleCursor {
public:
    PickleCursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool ReadU32(uint32_t& value)
    {
        if (m_size - m_at < 4)
            return false;
        value = Load32(m_at);
        m_at += 4;
        return true;
    }
    bool ReadI64(int64_t& value)
    {
        if (m_size - m_at < 8)
            return false;
        value = static_cast<int64_t>(static_cast<uint64_t>(Load32(m_at)) |
                                     (static_cast<uint64_t>(Load32(m_at + 4)) << 32));
        m_at += 8;
        return true;
    }
    bool ReadString(std::string& value, size_t limit)
    {
        uint32_t length;
        if (!ReadU32(length) || length > limit || length > m_size - m_at)
            return false;
        value.assign(reinterpret_cast<const char*>(m_data + m_at), length);
        size_t padded = (static_cast<size_t>(length) + 3) & ~static_cast<size_t>(3);
        m_at = padded > m_size - m_at ? m_size : m_at + padded;
        return true;
    }

private:
    uint32_t Load32(size_t at) const
    {
        const uint8_t* p = m_data + at;
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return "";
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    return Lower(a) == b;
}

const std::string* FindHeader(const CacheEntry& entry, const char* name)
{
    for (const HttpHeader& header : entry.headers) {
        if (EqualsNoCase(header.name, name))
            return &header.value;
    }
    return nullptr;
}

// A non-negative decimal that fits in 63 bits, the whole text; -1 otherwise.
int64_t ParseLength(const std::string& text)
{
    if (text.empty() || text.size() > 18)
        return -1;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int ParseStatus(const std::string& statusLine)
{
    size_t space = statusLine.find(' ');
    if (space == std::string::npos || statusLine.size() < space + 4)
        return 0;
    int status = 0;
    for (size_t i = space + 1; i < space + 4; ++i) {
        char c = statusLine[i];
        if (c < '0' || c > '9')
            return 0;
        status = status * 10 + (c - '0');
    }
    return status;
}

// "status\0name: value\0...\0\0"
bool SplitRawHeaders(const std::string& raw, CacheEntry& entry)
{
    size_t at = 0;
    size_t end = raw.find('\0');
    if (end == std::string::npos || end == 0)
        return false;
    entry.statusLine = raw.substr(0, end);
    entry.status = ParseStatus(entry.statusLine);
    at = end + 1;
    while (at < raw.size() && entry.headers.size() < kMaxHeaderCount) {
        end = raw.find('\0', at);
        if (end == std::string::npos)
            end = raw.size();
        if (end == at)
            break;
        std::string line = raw.substr(at, end - at);
        size_t colon = line.find(':');
        if (colon != std::string::npos && colon > 0)
            entry.headers.push_back({ Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)) });
        at = end + 1;
    }
    return entry.status != 0;
}

void DeriveContentFacts(CacheEntry& entry)
{
    if (const std::string* type = FindHeader(entry, "content-type"))
        entry.contentType = Lower(Trim(type->substr(0, type->find(';'))));
    if (const std::string* encoding = FindHeader(entry, "content-encoding"))
        entry.contentEncoding = *encoding;
    entry.contentLength = ResourceLengthOf(entry);
}

}  // namespace

int64_t ResourceLengthOf(const CacheEntry& entry)
{
    if (entry.status == 206) {
        // "bytes 0-99/1234"; "*" for an unknown total.
        const std::string* range = FindHeader(entry, "content-range");
        if (!range)
            return -1;
        size_t slash = range->rfind('/');
        return slash == std::string::npos ? -1 : ParseLength(Trim(range->substr(slash + 1)));
    }
    const std::string* length = FindHeader(entry, "content-length");
    return length ? ParseLength(Trim(*length)) : -1;
}

bool ParseHttpResponseInfo(const uint8_t* data, size_t size, CacheEntry& entry,
                           std::string& problem, bool* truncated)
{
    if (size < 4) {
        problem = "response info too short";
        return false;
    }
    uint32_t payloadSize = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                           (static_cast<uint32_t>(data[2]) << 16) |
                           (static_cast<uint32_t>(data[3]) << 24);
    if (payloadSize > size - 4) {
        problem = "response info cut short";
        return false;
    }
    PickleCursor cursor(data + 4, payloadSize);
    uint32_t flags = 0;
    if (!cursor.ReadU32(flags)) {
        problem = "response info cut short";
        return false;
    }
    uint32_t version = flags & kVersionMask;
    if (version != kKnownVersion) {
        problem = "unknown response info version " + std::to_string(version);
        return false;
    }
    uint32_t extraFlags = 0;
    if ((flags & kHasExtraFlags) && !cursor.ReadU32(extraFlags)) {
        problem = "response info cut short";
        return false;
    }
    int64_t requestTime = 0, responseTime = 0, originalResponseTime = 0;
    if (!cursor.ReadI64(requestTime) || !cursor.ReadI64(responseTime) ||
        ((extraFlags & kExtraHasOriginalResponseTime) && !cursor.ReadI64(originalResponseTime))) {
        problem = "response info cut short";
        return false;
    }
    std::string raw;
    if (!cursor.ReadString(raw, kMaxRawHeaders)) {
        problem = "response headers cut short";
        return false;
    }
    CacheEntry parsed;
    if (!SplitRawHeaders(raw, parsed)) {
        problem = "no status line in the response headers";
        return false;
    }
    entry.statusLine = std::move(parsed.statusLine);
    entry.status = parsed.status;
    entry.headers = std::move(parsed.headers);
    entry.requestTime = requestTime > 0 ? requestTime : 0;
    entry.responseTime = responseTime > 0 ? responseTime : 0;
    DeriveContentFacts(entry);
    if (truncated)
        *truncated = (flags & kTruncated) != 0;
    return true;
}
